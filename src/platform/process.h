// Starting a helper program: an argument vector, never a shell, its standard
// streams on /dev/null, waited for with a time limit.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace pixmera {

enum class RunOutcome {
  NotStarted,  // the program could not be started
  Exited,      // it ended by itself (exit status in `status`)
  Signalled,   // it was ended by a signal (a crash)
  TimedOut,    // it outlived the time limit and was killed
  Cancelled,   // the caller asked for it to end, and it was killed
};

struct RunResult {
  RunOutcome outcome = RunOutcome::NotStarted;
  int status = -1;
};

// Runs `program` (a path, or a name looked up through PATH) with `arguments`
// (argv[1..]) and waits at most `timeout_seconds` for it; past that the
// program and its children are killed.
RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds);
// The same, and while it waits, `cancel` becoming true kills the program and
// its children as a time-out does (seen within a few milliseconds).
RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds, const std::atomic<bool>& cancel);

// The full path of an executable named `name` found through PATH, or empty.
// A name holding a "/" is checked as it stands.
std::string find_in_path(const std::string& name);
bool is_executable(const std::string& path);

}  // namespace pixmera
