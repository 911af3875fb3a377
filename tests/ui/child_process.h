// Programs a GUI test starts beside itself: the window manager, and the
// program itself on the test's display.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gui_support.h"
#include "support/process_runner.h"

extern char** environ;

namespace pixmera::test {

// Starts a program (found on PATH when the name has no slash) with the
// extra variables replacing inherited ones of the same name; standard input
// on /dev/null, standard output and error into `output`. -1 when it could
// not start.
inline pid_t spawn(const std::vector<std::string>& argv_text,
                   const std::vector<std::string>& extra_env,
                   const std::string& output = "/dev/null") {
  std::vector<std::string> env_text = extra_env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('=') + 1);
    const bool replaced = std::any_of(extra_env.begin(), extra_env.end(),
                                      [&](const std::string& x) { return x.starts_with(name); });
    if (!replaced) env_text.push_back(entry);
  }
  std::vector<char*> argv;
  std::vector<char*> envp;
  for (const std::string& arg : argv_text) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& entry : env_text) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status once the child ends; -1 (and it is killed) past the
// waiting limit or when it did not exit normally.
inline int wait_for_exit(pid_t pid) {
  int status = 0;
  const bool ended = wait_until([&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// openbox on the test's display, there once it has marked the root window.
inline pid_t start_window_manager() {
  const pid_t window_manager = spawn({"openbox"}, {});
  const bool ready = wait_until([] {
    return run_process("/usr/bin/xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"})
               .output.find("window id") != std::string::npos;
  });
  if (!ready) std::fprintf(stderr, "openbox did not start\n");
  return window_manager;
}

inline void stop_window_manager(pid_t window_manager) {
  if (window_manager <= 0) return;
  ::kill(window_manager, SIGTERM);
  ::waitpid(window_manager, nullptr, 0);
}

}  // namespace pixmera::test
