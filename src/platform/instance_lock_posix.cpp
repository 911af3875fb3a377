#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/instance_lock.h"

namespace pixmera {

namespace {

// $XDG_RUNTIME_DIR/<name>.lock, or the configuration folder when unset.
std::string instance_lock_path(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder;
  if (runtime != nullptr && *runtime != '\0' && is_folder(runtime)) {
    folder = runtime;
    if (folder.back() != '/') folder += '/';
  } else {
    folder = configuration_folder();
  }
  return folder + name + ".lock";
}

}  // namespace

int take_instance_lock(const std::string& name) {
  const std::string path = instance_lock_path(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void release_instance_lock(int handle) {
  if (handle >= 0) ::close(handle);
}

}  // namespace pixmera
