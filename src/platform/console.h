// The console of the command-line face: standard output and error, its
// title on a terminal, and keys read from standard input. Lines end with
// "\n" on Linux and "\r\n" on Windows, where a console gets UTF-16 (every
// character shows, whatever its code page) and a redirected stream UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

// Gives a program that was started without a console (the window program
// on Windows, run with options) the console of the program that started
// it, or a new one when that has none; standard streams already redirected
// stay as they are. False when no console could be had (opening one may
// fail). Nothing to do on Linux, where the streams are always there.
bool open_console();

// Writes one line and the line end to standard output.
void console_print_line(std::string_view line);
// Writes one line and the line end to standard error, where a file's failure
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
