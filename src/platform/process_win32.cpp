// Helper programs on Windows: found as a Windows user expects (a path as
// given, else SearchPathW), started hidden with CreateProcessW and a command
// line quoted the way CommandLineToArgvW and the C runtime take it apart,
// standard streams on NUL, inside a job object so that a time-out or a stop
// ends the program and everything it started.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/win32_edge.h"

namespace pixmera {

namespace {

struct HandleClose {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<void, HandleClose>;

// One argument as the C runtime and CommandLineToArgvW read it back:
// quoted when it is empty or holds blanks or quotes; backslashes doubled
// only where a quote follows them.
void append_quoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

Handle open_null_device(DWORD access) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return Handle(::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              OPEN_EXISTING, 0, nullptr));
}

// A job that kills every process in it when its last handle closes, so
// even a crash of ours takes the converter with it.
Handle make_job() {
  Handle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// Exit codes of the NTSTATUS error class (0xC0000005, an access violation)
// are what Windows leaves when a program crashed.
bool is_crash_code(DWORD code) { return (code & 0xF0000000u) == 0xC0000000u; }

RunResult run_and_wait(const std::string& program, const std::vector<std::string>& arguments,
                       double timeout_seconds, const std::atomic<bool>* cancel) {
  RunResult result;
  const std::string resolved = find_in_path(program);
  if (resolved.empty()) return result;

  const std::wstring application = utf16_text(resolved);
  std::wstring line;
  append_quoted(line, application);
  for (const std::string& argument : arguments) {
    line += L' ';
    append_quoted(line, utf16_text(argument));
  }

  const Handle input = open_null_device(GENERIC_READ);
  const Handle output = open_null_device(GENERIC_WRITE);
  // The program inherits its two standard handles and nothing else: a file
  // another thread has open at that moment (the picture being read while
  // the next file's converter starts) would otherwise stay open in the
  // child, and could not be deleted until it ends.
  HANDLE inherited[] = {input.get(), output.get()};
  SIZE_T list_size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
  std::vector<unsigned char> list_memory(list_size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_memory.data());
  if (::InitializeProcThreadAttributeList(attributes, 1, 0, &list_size) == 0) return result;
  const std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, decltype(&::DeleteProcThreadAttributeList)>
      attributes_held(attributes, &::DeleteProcThreadAttributeList);
  if (::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                  sizeof inherited, nullptr, nullptr) == 0) {
    return result;
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = input.get();
  startup.StartupInfo.hStdOutput = output.get();
  startup.StartupInfo.hStdError = output.get();
  startup.lpAttributeList = attributes;
  PROCESS_INFORMATION started{};
  // Suspended until it is in the job, so nothing it starts escapes.
  if (::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                           EXTENDED_STARTUPINFO_PRESENT,
                       nullptr, nullptr, &startup.StartupInfo, &started) == 0) {
    return result;
  }
  const Handle process(started.hProcess);
  const Handle thread(started.hThread);
  const Handle job = make_job();
  const bool in_job = job && ::AssignProcessToJobObject(job.get(), process.get()) != 0;
  ::ResumeThread(thread.get());

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeout_seconds);
  // With a cancel flag the wait is cut into slices this long, so a cancel
  // is seen soon.
  const long long slice_ms = cancel != nullptr ? 10 : 1 << 30;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  bool ended = false;
  while (!ended && !cancelled()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    const DWORD wait = static_cast<DWORD>(std::min<long long>(left.count(), slice_ms));
    const DWORD outcome = ::WaitForSingleObject(process.get(), wait);
    if (outcome == WAIT_OBJECT_0) ended = true;
    if (outcome == WAIT_FAILED) break;
  }
  if (!ended) {
    const bool asked_to_end = cancelled();
    if (!in_job || ::TerminateJobObject(job.get(), 1) == 0) ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), INFINITE);
    result.outcome = asked_to_end ? RunOutcome::Cancelled : RunOutcome::TimedOut;
    return result;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  result.outcome = is_crash_code(code) ? RunOutcome::Signalled : RunOutcome::Exited;
  result.status = static_cast<int>(code);
  return result;
}

bool extension_less(const std::string& path) {
  const size_t name = path.find_last_of(kPathSeparators);
  return path.find('.', name == std::string::npos ? 0 : name) == std::string::npos;
}

bool names_a_place(const std::string& name) {
  return name.find_first_of(kPathSeparators) != std::string::npos ||
         name.find(':') != std::string::npos;
}

}  // namespace

bool is_executable(const std::string& path) {
  const int64_t size = file_size(path);
  return size >= 0;
}

std::string find_in_path(const std::string& name) {
  if (name.empty()) return {};
  if (names_a_place(name)) {
    if (is_executable(name)) return name;
    const std::string with_suffix = name + std::string(kProgramSuffix);
    return extension_less(name) && is_executable(with_suffix) ? with_suffix : std::string();
  }
  std::wstring found(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::SearchPathW(nullptr, utf16_text(name).c_str(), L".exe",
                                  static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (n == 0) return {};
    if (n < found.size()) {
      found.resize(n);
      break;
    }
    found.resize(n);
  }
  const std::string path = utf8_text(found);
  return is_executable(path) ? path : std::string();
}

std::string environment_variable(const char* name) {
  const std::wstring wide_name = utf16_text(name);
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableW(wide_name.c_str(), value.data(),
                                              static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return utf8_text(value);
    }
    value.resize(n);
  }
}

// The C runtime's copy (getenv) and the process's block (what
// GetEnvironmentVariableW and a started program see) both.
void set_environment_variable(const char* name, const std::string& value) {
  ::_wputenv_s(utf16_text(name).c_str(), utf16_text(value).c_str());
}

// The command line taken apart as the C runtime and CommandLineToArgvW do,
// read here so the console program need not load shell32 (and, under wine,
// user32 and gdi32 with it) only for that.
std::vector<std::string> program_parameters(int, char**) {
  const std::wstring_view line = ::GetCommandLineW();
  size_t at = 0;
  // The program's name: up to the closing quote, or to the first blank.
  if (at < line.size() && line[at] == L'"') {
    const size_t end = line.find(L'"', at + 1);
    at = end == std::wstring_view::npos ? line.size() : end + 1;
  }
  while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;

  std::vector<std::string> parameters;
  for (;;) {
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
    if (at >= line.size()) break;
    std::wstring word;
    bool quoted = false;
    while (at < line.size() && (quoted || (line[at] != L' ' && line[at] != L'\t'))) {
      size_t backslashes = 0;
      while (at < line.size() && line[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at < line.size() && line[at] == L'"') {
        // 2n backslashes and a quote: n backslashes, the quote opens or
        // closes; 2n+1: n backslashes and a quote of the text.
        word.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          word += L'"';
        } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
          word += L'"';  // "" inside quotes: one quote of the text
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        word.append(backslashes, L'\\');
        if (at < line.size() && (quoted || (line[at] != L' ' && line[at] != L'\t'))) {
          word += line[at++];
        }
      }
    }
    parameters.push_back(utf8_text(word));
  }
  return parameters;
}

RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds) {
  return run_and_wait(program, arguments, timeout_seconds, nullptr);
}

RunResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                      double timeout_seconds, const std::atomic<bool>& cancel) {
  return run_and_wait(program, arguments, timeout_seconds, &cancel);
}

}  // namespace pixmera
