#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/files.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {

int64_t file_size(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return kFileMissing;
  if (S_ISDIR(st.st_mode)) return kFileIsFolder;
  return static_cast<int64_t>(st.st_size);
}

bool file_exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool delete_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool file_modified_time(const std::string& path, int64_t& seconds) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  return true;
}

bool set_file_modified_time(const std::string& path, int64_t seconds) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // leave the access time alone
  times[1].tv_sec = static_cast<time_t>(seconds);
  times[1].tv_nsec = 0;
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string make_temporary_file(const std::string& folder, std::string_view prefix,
                                std::string_view suffix) {
  // Created like any new file (mode 0666 less the umask), so a picture
  // renamed into place gets the permissions the user expects.
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + std::string(prefix);
    for (int i = 0; i < 8; ++i) name += kLetters[random_between(0, sizeof kLetters - 2)];
    name += suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

std::FILE* open_file(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool rename_file(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool write_file_atomically(const std::string& path, std::string_view bytes) {
  const std::string folder(path.substr(0, path.find_last_of('/') + 1));
  const std::string name(path.substr(path.find_last_of('/') + 1));
  const std::string temp = make_temporary_file(folder, "." + name + ".", ".tmp");
  if (temp.empty()) return false;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = fd >= 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  // The new file takes the old one's permissions, 0644 for a first save.
  struct stat st {};
  const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  if (ok) ::chmod(temp.c_str(), mode);
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

int file_read_error(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  static constexpr size_t kChunk = size_t{1} << 16;
  auto buffer = std::make_unique<char[]>(kChunk);
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.get(), kChunk);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    break;
  }
  ::close(fd);
  return error;
}

std::string program_folder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  const std::string exe(buffer, static_cast<size_t>(n));
  return exe.substr(0, exe.find_last_of('/') + 1);
}

std::string private_folder() {
  // bin/pixmera finds its helpers in lib/pixmera/, in the build tree as under
  // the install prefix.
  std::filesystem::path here(program_folder());
  std::filesystem::path candidate = here.parent_path().parent_path() / "lib" / kShortName;
  std::error_code ec;
  candidate = std::filesystem::weakly_canonical(candidate, ec);
  return candidate.string() + "/";
}

std::string documentation_folder() { return program_folder() + "../share/doc/pixmera/"; }

std::string home_folder() {
  const char* home = std::getenv("HOME");
  std::string folder = home != nullptr && *home != '\0' ? home : "/";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string pictures_folder_text() { return "~/Pictures/"; }

std::string disc_folder_text() { return "/media/cdrom/"; }

std::string configuration_folder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr && *home != '\0' ? home : ".") + "/.config";
  }
  if (base.back() != '/') base += '/';
  const std::string folder = base + kVendorName + "/" + kShortName + "/";
  make_folders(folder);
  return folder;
}

}  // namespace pixmera
