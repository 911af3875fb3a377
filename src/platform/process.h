// Starting a helper program: an argument vector, never a shell, its standard
// streams on the null device, waited for with a time limit. On Linux the
// program leads a process group of its own; on Windows it is started hidden
// in a job object; either way a time-out or a stop ends it together with
// every program it started.
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

// The full path of an executable named `name` found through the program
// search (PATH; on Windows SearchPathW, which adds ".exe"), or empty. A name
// holding a separator is checked as it stands.
std::string find_in_path(const std::string& name);
bool is_executable(const std::string& path);

// The value of an environment variable as UTF-8; empty when it is unset.
std::string environment_variable(const char* name);
// Sets an environment variable of this process (UTF-8), or removes it when
// `value` is empty; programs started afterwards inherit it.
void set_environment_variable(const char* name, const std::string& value);

// The program's parameters (argv[1..]) as UTF-8. Windows reads them from the
// UTF-16 command line, since its argv holds only what the ANSI code page
// can spell.
std::vector<std::string> program_parameters(int argc, char** argv);

}  // namespace pixmera
