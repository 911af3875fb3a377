// The console on Windows. Text reaches a console through WriteConsoleW, so a
// path in letters the console's code page lacks is shown whole, never as "?"
// marks; a redirected stream gets the same text as UTF-8 bytes.
#include <conio.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/win32_edge.h"

namespace pixmera {

namespace {

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetConsoleMode(handle, &mode) != 0;
}

void write_line(DWORD which, std::string_view line) {
  const HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  std::string text(line);
  text += "\r\n";
  if (is_console(handle)) {
    const std::wstring wide = utf16_text(text);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (::WriteFile(handle, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                    nullptr) == 0 ||
        written == 0) {
      return;
    }
    done += written;
  }
}

// A standard stream the program was given: a console, a file or a pipe.
bool is_open(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool input_is_console() { return is_console(::GetStdHandle(STD_INPUT_HANDLE)); }

std::string key_text(wint_t key) { return utf8_text(std::wstring(1, static_cast<wchar_t>(key))); }

}  // namespace

bool open_console() {
  const bool redirected[] = {is_open(STD_INPUT_HANDLE), is_open(STD_OUTPUT_HANDLE),
                             is_open(STD_ERROR_HANDLE)};
  if (redirected[0] && redirected[1] && redirected[2]) return true;
  if (::AttachConsole(ATTACH_PARENT_PROCESS) == 0 && ::AllocConsole() == 0) return false;
  // The console's own streams for those that were not given.
  const auto console = [](const wchar_t* name, DWORD access) {
    return ::CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         0, nullptr);
  };
  if (!redirected[0])
    ::SetStdHandle(STD_INPUT_HANDLE, console(L"CONIN$", GENERIC_READ | GENERIC_WRITE));
  if (!redirected[1])
    ::SetStdHandle(STD_OUTPUT_HANDLE, console(L"CONOUT$", GENERIC_READ | GENERIC_WRITE));
  if (!redirected[2])
    ::SetStdHandle(STD_ERROR_HANDLE, console(L"CONOUT$", GENERIC_READ | GENERIC_WRITE));
  return true;
}

void console_print_line(std::string_view line) {
  // Whatever the C runtime holds goes first, so the order stays as written.
  std::fflush(stdout);
  write_line(STD_OUTPUT_HANDLE, line);
}

void console_print_error_line(std::string_view line) {
  std::fflush(stdout);
  std::fflush(stderr);
  write_line(STD_ERROR_HANDLE, line);
}

void console_set_title(std::string_view title) {
  if (is_console(::GetStdHandle(STD_OUTPUT_HANDLE))) ::SetConsoleTitleW(utf16_text(title).c_str());
}

std::string console_read_key() {
  if (!input_is_console() || ::_kbhit() == 0) return {};
  return key_text(::_getwch());
}

void console_wait_key() {
  if (input_is_console()) ::_getwch();
}

}  // namespace pixmera
