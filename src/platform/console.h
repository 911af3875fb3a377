// The console of the command-line face: standard output and error, its
// title on a terminal, and keys read from standard input.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

// Writes one line and a "\n" to standard output.
void console_print_line(std::string_view line);
// Writes one line and a "\n" to standard error, where a file's failure
// reason goes so that standard output stays as scripts know it.
void console_print_error_line(std::string_view line);
// Sets the terminal title (an OSC 0 escape) when standard output is a terminal.
void console_set_title(std::string_view title);
// One pending key from a terminal, or empty text when none is pending or
// standard input is not a terminal.
std::string console_read_key();
// Blocks until a key arrives on a terminal. Returns at once when standard
// input is not a terminal or is at end of file.
void console_wait_key();

}  // namespace pixmera
