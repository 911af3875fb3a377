// Whole-file input and all-or-nothing output for the converter. Written with
// the C and C++ standard libraries only, so the PhotoCD code needs nothing
// from the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pixmera::photocd {

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
