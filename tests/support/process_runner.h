// Runs a program for a test: argument vector, extra environment, standard
// input on /dev/null, standard output and error captured together, or apart
// with `separate_error`.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace pixmera::test {

struct ProcessResult {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string output;
  std::string error;  // standard error, when captured apart
};

// Reads both pipes to their end without letting either fill up.
inline void read_pipes(int out_fd, int err_fd, ProcessResult& result) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* targets[2] = {&result.output, &result.error};
  int open_count = err_fd >= 0 ? 2 : 1;
  if (err_fd < 0) fds[1].fd = -1;
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        targets[i]->append(buffer, static_cast<size_t>(n));
      } else {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

inline ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                                 const std::map<std::string, std::string>& env = {},
                                 bool separate_error = false) {
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (env.count(name) == 0) environment.push_back(entry);
  }
  for (const auto& [name, value] : env) {
    if (value != "<unset>") environment.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipe_fds[2];
  int error_fds[2] = {-1, -1};
  ProcessResult result;
  if (::pipe(pipe_fds) != 0) return result;
  if (separate_error && ::pipe(error_fds) != 0) {
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, separate_error ? error_fds[1] : pipe_fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  if (separate_error) posix_spawn_file_actions_addclose(&actions, error_fds[0]);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  if (separate_error) ::close(error_fds[1]);
  if (rc == 0) {
    read_pipes(pipe_fds[0], error_fds[0], result);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ::close(pipe_fds[0]);
  if (separate_error) ::close(error_fds[0]);
  return result;
}

}  // namespace pixmera::test
