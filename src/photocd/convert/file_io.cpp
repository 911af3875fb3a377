#include "photocd/convert/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX  // libstdc++ defines it on mingw
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

namespace pixmera::photocd {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string errno_text() { return std::strerror(errno); }

// What differs by system: opening, creating and replacing a file by its
// path. Windows takes the UTF-16 path (fs::path holds wchar_t there) and
// binary mode; "x" is no mode of its C library, so the exclusive creation
// goes through _wopen's _O_EXCL. Each sets errno on failure.
#ifdef _WIN32
std::FILE* open_existing(const fs::path& path) { return _wfopen(path.c_str(), L"rb"); }

std::FILE* create_new(const fs::path& path) {
  const int fd =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
  return file;
}

// MoveFileExW replaces an existing target, which rename() on Windows does not.
void replace_file(const fs::path& from, const fs::path& to, std::error_code& error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error.clear();
  } else {
    error.assign(static_cast<int>(GetLastError()), std::system_category());
  }
}
#else
std::FILE* open_existing(const fs::path& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* create_new(const fs::path& path) { return std::fopen(path.c_str(), "wbx"); }

void replace_file(const fs::path& from, const fs::path& to, std::error_code& error) {
  fs::rename(from, to, error);
}
#endif

// A name in the same folder, so the final rename never crosses file systems.
// "x" opens exclusively: an existing file of that name is never reused.
FileHandle create_temporary_beside(const fs::path& target, fs::path& temporary) {
  std::random_device entropy;
  std::mt19937_64 generator(entropy());
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                  static_cast<unsigned long long>(generator()));
    temporary = target;
    temporary.replace_filename(path_from_utf8("." + utf8_of(target.filename()) + suffix));
    if (std::FILE* file = create_new(temporary)) return FileHandle(file);
    if (errno != EEXIST) break;
  }
  return nullptr;
}

FileHandle open_for_reading(const std::string& path, std::string& why) {
  FileHandle file(open_existing(path_from_utf8(path)));
  if (!file) why = "cannot open " + path + ": " + errno_text();
  return file;
}

}  // namespace

fs::path path_from_utf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8_of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path,
                                                         std::size_t max_bytes, std::string& why) {
  FileHandle file = open_for_reading(path, why);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::error_code error;
  const auto expected = fs::file_size(path_from_utf8(path), error);
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
  const fs::path target = path_from_utf8(path);
  fs::path temporary;
  FileHandle file = create_temporary_beside(target, temporary);
  if (!file) {
    why = "cannot create a file beside " + path + ": " + errno_text();
    return false;
  }

  bool written = true;
  const ByteSink sink = [&](std::span<const std::uint8_t> bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
      why = "cannot write " + utf8_of(temporary) + ": " + errno_text();
      written = false;
    }
    return written;
  };
  const bool produced = produce(sink);
  if (produced && written && std::fclose(file.release()) != 0) {
    why = "cannot write " + utf8_of(temporary) + ": " + errno_text();
    written = false;
  }
  file.reset();

  std::error_code error;
  if (!produced || !written) {
    if (produced && why.empty()) why = "cannot write " + utf8_of(temporary);
    fs::remove(temporary, error);
    return false;
  }
  replace_file(temporary, target, error);
  if (error) {
    why = "cannot rename " + utf8_of(temporary) + " to " + path + ": " + error.message();
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace pixmera::photocd
