// Whole-file input and all-or-nothing output for the converter. Written with
// the C and C++ standard libraries, so the PhotoCD code needs nothing from
// the rest of the program; on Windows the files are opened and replaced
// through the UTF-16 calls (_wfopen, MoveFileExW), the only lines here that
// differ by system. Paths are UTF-8 everywhere inside the converter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pixmera::photocd {

// A UTF-8 path as the file system's path and back. std::string alone would
// be read in the ANSI code page on Windows, which cannot name every file.
std::filesystem::path path_from_utf8(const std::string& utf8);
std::string utf8_of(const std::filesystem::path& path);

// The whole file, or nullopt with the reason in `why` (missing, unreadable,
// or larger than `max_bytes`).
std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path,
                                                         std::size_t max_bytes, std::string& why);

// At most the first `max_bytes` of the file (fewer when it is shorter), or
// nullopt with the reason in `why`.
std::optional<std::vector<std::uint8_t>> read_file_head(const std::string& path,
                                                        std::size_t max_bytes, std::string& why);

using ByteSink = std::function<bool(std::span<const std::uint8_t>)>;

// Writes to a new file beside `path` and renames it to `path` only when
// `produce` and every write succeeded; otherwise removes it, so `path` is
// either the complete new file or left as it was.
bool write_file_atomically(const std::string& path,
                           const std::function<bool(const ByteSink&)>& produce, std::string& why);

}  // namespace pixmera::photocd
