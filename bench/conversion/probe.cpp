// A timing probe for benchmarks, preloaded into the program and the
// converters it starts (LD_PRELOAD): it notes when a process starts and ends
// and when it calls the few library functions that mark the parts of a
// conversion, and appends one line per event to the file named by
// PIXMERA_PROBE_LOG:
//
//   <nanoseconds since PIXMERA_PROBE_T0> <pid> <event> <detail>
//
// PIXMERA_PROBE_T0 is the CLOCK_MONOTONIC time, in nanoseconds, at which the
// benchmark started the program. The probe changes nothing the program does;
// without PIXMERA_PROBE_LOG it only passes the calls on. console_parts.py
// turns the lines into the parts of a run.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

int g_log = -1;
long long g_t0 = 0;

long long now_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One write per line with O_APPEND, so lines of several processes and
// threads never interleave.
void note(const char* event, const char* detail = "") {
  if (g_log < 0) return;
  const int saved = errno;
  char line[1200];
  const int n = std::snprintf(line, sizeof line, "%lld %d %s %s\n", now_ns() - g_t0,
                              static_cast<int>(getpid()), event, detail);
  if (n > 0) {
    const auto length =
        static_cast<std::size_t>(n < static_cast<int>(sizeof line) ? n : sizeof line - 1);
    [[maybe_unused]] const ssize_t written = ::write(g_log, line, length);
  }
  errno = saved;
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Which FILE* and descriptor belong to which path, for the close events.
std::mutex g_lock;
std::unordered_map<const void*, std::string>& streams() {
  static auto* map = new std::unordered_map<const void*, std::string>;
  return *map;
}
std::unordered_map<int, std::string>& descriptors() {
  static auto* map = new std::unordered_map<int, std::string>;
  return *map;
}

// The path noted for a stream or descriptor being closed, forgotten; empty
// for one the probe does not follow.
template <typename Key>
std::string forget(std::unordered_map<Key, std::string>& paths, Key key) {
  const std::lock_guard<std::mutex> hold(g_lock);
  auto found = paths.find(key);
  if (found == paths.end()) return {};
  std::string path = std::move(found->second);
  paths.erase(found);
  return path;
}

// The mode argument open() has when it creates a file.
mode_t mode_of(int flags, va_list arguments) {
  return (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

// Only files whose names matter to a conversion: pictures, Image Pacs and
// temporary files.
bool interesting(const char* path) {
  if (path == nullptr) return false;
  const std::string p(path);
  for (const char* tail : {".tga", ".ppm", ".pcd", ".PCD", ".tmp", ".tiff", ".ic", ".IC"}) {
    if (p.size() >= std::strlen(tail) &&
        p.compare(p.size() - std::strlen(tail), std::string::npos, tail) == 0)
      return true;
  }
  return false;
}

struct Startup {
  Startup() {
    const char* log = std::getenv("PIXMERA_PROBE_LOG");
    const char* t0 = std::getenv("PIXMERA_PROBE_T0");
    if (log == nullptr || t0 == nullptr) return;
    g_t0 = std::atoll(t0);
    auto open_next = next<int (*)(const char*, int, ...)>("open");
    g_log = open_next(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    char self[512] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) self[n] = '\0';
    note("start", self);
  }
  ~Startup() { note("end"); }
} g_startup;

}  // namespace

extern "C" {

void* dlopen(const char* file, int mode) {
  static auto real = next<void* (*)(const char*, int)>("dlopen");
  const bool noted = file != nullptr && std::strstr(file, "pixmera") != nullptr;
  if (noted) note("dlopen", file);
  void* handle = real(file, mode);
  if (noted) note("dlopened", file);
  return handle;
}

int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  static auto real =
      next<int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*,
                   char* const[], char* const[])>("posix_spawn");
  std::string detail = path;
  for (int i = 1; argv[i] != nullptr; ++i) {
    if (std::strchr(argv[i], '[') != nullptr)
      detail += std::string(" ") + std::strrchr(argv[i], '[');
  }
  note("spawn", detail.c_str());
  return real(pid, path, actions, attributes, argv, envp);
}

pid_t waitpid(pid_t pid, int* status, int options) {
  static auto real = next<pid_t (*)(pid_t, int*, int)>("waitpid");
  const pid_t done = real(pid, status, options);
  if (done > 0) note("reaped", std::to_string(done).c_str());
  return done;
}

int nanosleep(const struct timespec* request, struct timespec* remaining) {
  static auto real = next<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
  const bool noted = request != nullptr && request->tv_sec == 0 && request->tv_nsec >= 10000000;
  if (noted) note("sleep");
  const int rc = real(request, remaining);
  if (noted) note("woke");
  return rc;
}

FILE* fopen(const char* path, const char* mode) {
  static auto real = next<FILE* (*)(const char*, const char*)>("fopen");
  FILE* file = real(path, mode);
  if (file != nullptr && interesting(path)) {
    note("fopen", (std::string(mode) + " " + path).c_str());
    const std::lock_guard<std::mutex> hold(g_lock);
    streams()[file] = path;
  }
  return file;
}

FILE* fopen64(const char* path, const char* mode) { return fopen(path, mode); }

int fclose(FILE* file) {
  static auto real = next<int (*)(FILE*)>("fclose");
  const std::string path = forget<const void*>(streams(), file);
  const int rc = real(file);
  if (!path.empty()) note("fclose", path.c_str());
  return rc;
}

int open(const char* path, int flags, ...) {
  static auto real = next<int (*)(const char*, int, ...)>("open");
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = mode_of(flags, arguments);
  va_end(arguments);
  const int fd = real(path, flags, mode);
  if (fd >= 0 && interesting(path)) {
    note("open", path);
    const std::lock_guard<std::mutex> hold(g_lock);
    descriptors()[fd] = path;
  }
  return fd;
}

int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = mode_of(flags, arguments);
  va_end(arguments);
  return open(path, flags, mode);
}

int close(int fd) {
  static auto real = next<int (*)(int)>("close");
  const std::string path = forget(descriptors(), fd);
  const int rc = real(fd);
  if (!path.empty()) note("close", path.c_str());
  return rc;
}

int rename(const char* from, const char* to) {
  static auto real = next<int (*)(const char*, const char*)>("rename");
  note("rename", to);
  const int rc = real(from, to);
  note("renamed", to);
  return rc;
}

int unlink(const char* path) {
  static auto real = next<int (*)(const char*)>("unlink");
  const int rc = real(path);
  if (interesting(path)) note("unlink", path);
  return rc;
}

}  // extern "C"
