#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace pixmera {

bool open_console() { return true; }

void console_print_line(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void console_print_error_line(std::string_view line) {
  // Standard output first, so that a terminal shows the lines in the order
  // they were written.
  std::fflush(stdout);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void console_set_title(std::string_view title) {
  if (::isatty(STDOUT_FILENO) == 0) return;
  std::fprintf(stdout, "\033]0;%.*s\007", static_cast<int>(title.size()), title.data());
  std::fflush(stdout);
}

namespace {

// Reads one byte from a terminal in non-canonical mode, waiting at most
// `timeout_ms` (-1: forever). Empty text when nothing came.
std::string read_terminal_byte(int timeout_ms) {
  if (::isatty(STDIN_FILENO) == 0) return {};
  termios saved{};
  if (::tcgetattr(STDIN_FILENO, &saved) != 0) return {};
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  std::string key;
  pollfd pfd{STDIN_FILENO, POLLIN, 0};
  if (::poll(&pfd, 1, timeout_ms) > 0 && (pfd.revents & POLLIN) != 0) {
    char c = 0;
    if (::read(STDIN_FILENO, &c, 1) == 1) key.assign(1, c);
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  return key;
}

}  // namespace

std::string console_read_key() { return read_terminal_byte(0); }

void console_wait_key() { read_terminal_byte(-1); }

}  // namespace pixmera
