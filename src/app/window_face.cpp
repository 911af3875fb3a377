#include "app/window_face.h"

#include "platform/files.h"
#include "platform/libraries.h"
#include "settings/catalogue.h"
#include "settings/config_file.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// The module's entry point: the mode ("window", "uninstall", "screenshot")
// and its argument; returns the exit status. The window records its own
// geometry in g_settings before it returns.
using WindowEntry = int (*)(const char* mode, const char* argument);

WindowEntry find_window_module() {
  for (const std::string& folder : {program_folder(), private_folder()}) {
    const std::string path = folder + "libpixmera_ui.so";
    if (!file_exists(path)) continue;
    if (void* entry = load_library_symbol(path, "pixmera_window_main")) {
      return reinterpret_cast<WindowEntry>(entry);
    }
  }
  return nullptr;
}

}  // namespace

int run_window_face() {
  // Without the window module (a console-only installation) there is
  // nothing to show, and the configuration is left untouched.
  const WindowEntry entry = find_window_module();
  if (entry == nullptr) return 0;
  set_configuration_path();
  load_configuration();
  build_catalogue();
  const int status = entry("window", "");
  if (g_settings.out_folders_history == 0) g_settings.recent_out_folders.clear();
  save_configuration();
  return status;
}

int run_uninstall_page() {
  const WindowEntry entry = find_window_module();
  return entry != nullptr ? entry("uninstall", "") : 0;
}

int run_screenshot_mode(const std::string& folder) {
  const WindowEntry entry = find_window_module();
  return entry != nullptr ? entry("screenshot", folder.c_str()) : 0;
}

}  // namespace pixmera
