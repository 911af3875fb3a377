#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/process.h"
#include "util/text.h"

extern char** environ;

namespace pixmera {

bool is_executable(const std::string& path) {
  return !path.empty() && ::access(path.c_str(), X_OK) == 0 &&
         ::access((path + "/.").c_str(), F_OK) != 0;
}

std::string find_in_path(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return is_executable(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  for (const std::string& folder : split(path != nullptr ? path : "/usr/bin:/bin", ':')) {
    // An empty PATH entry means the current folder.
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (is_executable(candidate)) return candidate;
  }
  return {};
}

std::string environment_variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void set_environment_variable(const char* name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name);
  } else {
    ::setenv(name, value.c_str(), 1);
  }
}

std::vector<std::string> program_parameters(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace {

// `cancel` may be null: nothing but the time limit ends the program early.
RunResult run_and_wait(const std::string& program, const std::vector<std::string>& arguments,
                       double timeout_seconds, const std::atomic<bool>* cancel) {
  RunResult result;
  const std::string resolved = find_in_path(program);
  if (resolved.empty()) return result;

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(resolved.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // The child leads a process group of its own, so a time-out can end the
  // program together with anything it started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, resolved.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return result;

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeout_seconds);
  int status = 0;
  // A pidfd becomes readable when the child ends, so the wait needs neither
  // polling nor a signal handler. Kernels without it fall back to polling.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  // With a cancel flag the wait is cut into slices this long, so a cancel
  // is seen soon.
  const long long slice_ms = cancel != nullptr ? 10 : 1 << 30;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  if (pidfd >= 0) {
    while (!cancelled()) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd pfd{pidfd, POLLIN, 0};
      const int ready =
          left.count() > 0
              ? ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left.count(), slice_ms)))
              : 0;
      if (ready > 0 || (ready < 0 && errno != EINTR) || left.count() <= 0) break;
    }
    ::close(pidfd);
  }
  auto pause = std::chrono::microseconds(200);
  while (true) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return result;
    const bool asked_to_end = cancelled();
    if (asked_to_end || Clock::now() >= deadline) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result.outcome = asked_to_end ? RunOutcome::Cancelled : RunOutcome::TimedOut;
      return result;
    }
    // Short waits first, since most runs end within milliseconds; then
    // longer ones so a slow decode does not keep a core busy.
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(20000));
  }
  if (WIFEXITED(status)) {
    result.outcome = RunOutcome::Exited;
    result.status = WEXITSTATUS(status);
  } else {
    result.outcome = RunOutcome::Signalled;
    result.status = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
  }
  return result;
}

}  // namespace

RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds) {
  return run_and_wait(program, arguments, timeout_seconds, nullptr);
}

RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds, const std::atomic<bool>& cancel) {
  return run_and_wait(program, arguments, timeout_seconds, &cancel);
}

}  // namespace pixmera
