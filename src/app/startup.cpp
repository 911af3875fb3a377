#include "app/startup.h"

#include <array>
#include <string_view>

#include "app/window_face.h"
#include "cli/command_line.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/libraries.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

struct CommandNumber {
  std::string_view name;
  int32_t number;
};

constexpr std::array<CommandNumber, 3> kMainButtons = {
    {{"Convert", 2}, {"InFiles", 3}, {"InFolder", 4}}};

constexpr std::array<CommandNumber, 22> kMenuCommands = {{
    {"New", 5},
    {"Add", 6},
    {"InFiles", 7},
    {"InFolder", 8},
    {"OutFolder", 9},
    {"OutFormat", 10},
    {"FavFolder", 11},
    {"ImportFiles", 12},
    {"ExportFiles", 13},
    {"Exit", 14},
    {"Copy", 15},
    {"Delete", 16},
    {"SelectAll", 17},
    {"Convert", 18},
    {"Error", 19},
    {"Preferences", 20},
    {"CustomConverter", 21},
    {"Help", 22},
    {"Email", 25},
    {"Web", 26},
    {"Updates", 27},
    {"About", 28},
}};

// The second menu table repeats the menu commands, each numbered 24 higher.
constexpr int32_t kSecondMenuOffset = 24;

template <size_t N>
int32_t lookup(const std::array<CommandNumber, N>& table, const std::string& name) {
  for (const CommandNumber& entry : table) {
    if (entry.name == name) return entry.number;
  }
  return 0;
}

std::string program_name_of(const std::string& argv0) {
  std::string name(file_name_of(argv0));
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? std::string(kShortName) : name;
}

// The common end: everything the start-up prepared is given back here.
int common_end(int status) {
  release_instance_lock(g_settings.lock_handle);
  g_settings.lock_handle = -1;
  return status;
}

}  // namespace

int32_t main_button_number(const std::string& name) { return lookup(kMainButtons, name); }
int32_t menu_command_number(const std::string& name) { return lookup(kMenuCommands, name); }
int32_t second_menu_number(const std::string& name) {
  const int32_t number = lookup(kMenuCommands, name);
  return number == 0 ? 0 : number + kSecondMenuOffset;
}

int run_program_main(const std::string& argv0, const std::vector<std::string>& parameters) {
  quiet_library_warnings();
  g_settings = Settings{};
  g_settings.input_format_list = input_type_list();
  g_settings.output_format_list = accepted_conversion_list();

  // Copies of the same version exclude each other; a second copy asked to
  // do something says why it did nothing, so scripts see the failure.
  g_settings.lock_handle = take_instance_lock(title_text());
  if (g_settings.lock_handle < 0) {
    if (parameters.empty()) return common_end(0);
    console_print_line("Error: Another copy of the program is running");
    return common_end(1);
  }

  const CommandLineResult result = run_command_line(program_name_of(argv0), parameters);
  switch (result.face) {
    case Face::Console:
      return common_end(result.exit_status);
    case Face::Uninstall:
      return common_end(run_uninstall_page());
    case Face::Screenshot:
      return common_end(run_screenshot_mode(result.screenshot_folder));
    case Face::Window:
      break;
  }
  return common_end(run_window_face(result.bare_words));
}

}  // namespace pixmera
