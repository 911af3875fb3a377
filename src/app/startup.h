// The program's main sequence: start-up, the single-instance lock, the
// choice of face, and the one common end every way out passes through.
#pragma once

#include <string>
#include <vector>

namespace pixmera {

// Runs the program with argv[0] and argv[1..]; returns the exit status.
int run_program_main(const std::string& argv0, const std::vector<std::string>& parameters);

// The command number tables of the windowed face.
int32_t main_button_number(const std::string& name);
int32_t menu_command_number(const std::string& name);
int32_t second_menu_number(const std::string& name);

}  // namespace pixmera
