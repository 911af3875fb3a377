#include "photocd/convert/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

namespace pixmera::photocd {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string errno_text() { return std::strerror(errno); }

// A name in the same folder, so the final rename never crosses file systems.
// "x" opens exclusively: an existing file of that name is never reused.
FileHandle create_temporary_beside(const std::filesystem::path& target,
                                   std::filesystem::path& temporary) {
  std::random_device entropy;
  std::mt19937_64 generator(entropy());
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                  static_cast<unsigned long long>(generator()));
    temporary = target;
    temporary.replace_filename("." + target.filename().string() + suffix);
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return FileHandle(file);
    if (errno != EEXIST) break;
  }
  return nullptr;
}

FileHandle open_for_reading(const std::string& path, std::string& why) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) why = "cannot open " + path + ": " + errno_text();
  return file;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path,
                                                         std::size_t max_bytes, std::string& why) {
  FileHandle file = open_for_reading(path, why);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::error_code error;
  const auto expected = std::filesystem::file_size(path, error);
  if (!error && expected > max_bytes) {
    why = path + " is larger than " + std::to_string(max_bytes) + " bytes";
    return std::nullopt;
  }

  // Read in blocks rather than trusting the size: the file may change while
  // it is read, or not be a regular file at all. The first block is the
  // size the file claims and one byte more, so a file that keeps its size
  // takes one read and no reallocation.
  constexpr std::size_t block = std::size_t{1} << 20;
  std::size_t want = error ? block : static_cast<std::size_t>(expected) + 1;
  while (true) {
    const std::size_t old_size = bytes.size();
    if (old_size > max_bytes) {
      why = path + " is larger than " + std::to_string(max_bytes) + " bytes";
      return std::nullopt;
    }
    bytes.resize(old_size + want);
    const std::size_t got = std::fread(bytes.data() + old_size, 1, want, file.get());
    bytes.resize(old_size + got);
    if (got < want) break;
    want = block;
  }
  if (std::ferror(file.get())) {
    why = "cannot read " + path + ": " + errno_text();
    return std::nullopt;
  }
  if (bytes.size() > max_bytes) {
    why = path + " is larger than " + std::to_string(max_bytes) + " bytes";
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::vector<std::uint8_t>> read_file_head(const std::string& path,
                                                        std::size_t max_bytes, std::string& why) {
  FileHandle file = open_for_reading(path, why);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes(max_bytes);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get())) {
    why = "cannot read " + path + ": " + errno_text();
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
}

bool write_file_atomically(const std::string& path,
                           const std::function<bool(const ByteSink&)>& produce, std::string& why) {
  const std::filesystem::path target(path);
  std::filesystem::path temporary;
  FileHandle file = create_temporary_beside(target, temporary);
  if (!file) {
    why = "cannot create a file beside " + path + ": " + errno_text();
    return false;
  }

  bool written = true;
  const ByteSink sink = [&](std::span<const std::uint8_t> bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
      why = "cannot write " + temporary.string() + ": " + errno_text();
      written = false;
    }
    return written;
  };
  const bool produced = produce(sink);
  if (produced && written && std::fclose(file.release()) != 0) {
    why = "cannot write " + temporary.string() + ": " + errno_text();
    written = false;
  }
  file.reset();

  std::error_code error;
  if (!produced || !written) {
    if (produced && why.empty()) why = "cannot write " + temporary.string();
    std::filesystem::remove(temporary, error);
    return false;
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    why = "cannot rename " + temporary.string() + " to " + path + ": " + error.message();
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace pixmera::photocd
