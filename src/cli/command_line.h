// The command-line procedure: it decides the program's face, prints help,
// version and errors, applies the options and runs the console conversion.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

enum class Face {
  Console,     // the procedure did all there was to do; exit with `exit_status`
  Window,      // no input was named: the windowed face runs
  Uninstall,   // "-U": the uninstall page
  Screenshot,  // "-T": screenshot mode into `screenshot_folder`
};

struct CommandLineResult {
  Face face = Face::Window;
  int exit_status = 0;
  std::string screenshot_folder;
  std::vector<std::string> bare_words;  // for the window's input list
};

// `program_name` is the executable's file name without extension, used by the
// help text; `parameters` are argv[1..].
CommandLineResult run_command_line(std::string_view program_name,
                                   const std::vector<std::string>& parameters);

// What the walk over the parameters found. The options it met are already
// applied to the Settings and current-file records.
struct ParsedParameters {
  std::string error;  // the one error that stopped the walk, or empty
  bool quiet = false;
  bool pause = false;
  // Parameters that are neither options nor their values, in order: the
  // files a file manager hands over ("pixmera IMG0001.PCD").
  std::vector<std::string> bare_words;
};

// Walks every parameter left to right and applies the options it knows.
ParsedParameters parse_parameters(const std::vector<std::string>& parameters);

// Prepares the tables, the command-line defaults and the catalogue.
void prepare_command_line_mode();

// The upper-cased option name of a parameter, empty when it is no option.
std::string option_name(std::string_view parameter);
// The value of a parameter: after the first "=" of a "--" option, else the
// whole trimmed parameter.
std::string option_value(std::string_view parameter);

// The help text, line by line; %s1% is the program name and %s2% an entry of
// the input type list drawn afresh for each example line.
std::vector<std::string> help_lines(std::string_view program_name);

}  // namespace pixmera
