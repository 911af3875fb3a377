#include "app/window_face.h"

#include <array>

#include "app/window_module.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/libraries.h"
#include "platform/paths.h"
#include "settings/catalogue.h"
#include "settings/config_file.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

// The module beside the executable (a build tree) or in the private folder
// (an installation); nullptr when neither can be loaded.
const WindowModule* find_window_module(std::string& why) {
  why = "the window module is missing";
  for (const std::string& folder : {program_folder(), private_folder()}) {
    const std::string path = folder + module_file_name(kWindowModuleName);
    if (!file_exists(path)) continue;
    auto entry = reinterpret_cast<WindowModuleEntry>(load_library_symbol(path, kWindowEntryName));
    if (entry == nullptr) {
      why = "the window module cannot be loaded: " + last_library_error();
      continue;
    }
    const WindowModule* module = entry();
    if (module != nullptr && module->version == kWindowModuleVersion) return module;
    why = "the window module does not fit this program";
  }
  return nullptr;
}

// Finds the module and opens the display; prints the one error line and
// returns nullptr when the window cannot be shown.
const WindowModule* open_window() {
  std::string why;
  const WindowModule* module = find_window_module(why);
  if (module != nullptr) {
    std::array<char, 256> reason{};
    if (module->open_display(reason.data(), static_cast<int>(reason.size())) != 0) return module;
    why = reason.data();
  }
  console_print_line("Error: Cannot open the window: " + why);
  return nullptr;
}

std::string joined_lines(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += '\n';
    text += word;
  }
  return text;
}

}  // namespace

void record_window_geometry(Settings& settings, const WindowState& state) {
  if (state.minimized) return;
  if (state.maximized) {
    settings.is_maximized = 1;
    return;
  }
  settings.is_maximized = 0;
  settings.x = state.x;
  settings.y = state.y;
  settings.width = state.width;
  settings.height = state.height;
}

int run_window_face(const std::vector<std::string>& bare_words) {
  const WindowModule* module = open_window();
  if (module == nullptr) return 1;
  set_configuration_path();
  load_configuration();
  build_catalogue();
  const int status = module->run("window", joined_lines(bare_words).c_str());
  if (g_settings.out_folders_history == 0) g_settings.recent_out_folders.clear();
  save_configuration();
  module->close_display();
  return status;
}

int run_uninstall_page() {
  const WindowModule* module = open_window();
  if (module == nullptr) return 1;
  const int status = module->run("uninstall", "");
  module->close_display();
  return status;
}

int run_screenshot_mode(const std::string& folder) {
  const WindowModule* module = open_window();
  if (module == nullptr) return 1;
  // The pictures show the command-line defaults, never the user's settings.
  const int status = module->run("screenshot", folder.c_str());
  module->close_display();
  return status;
}

}  // namespace pixmera
