#include "app/window_face.h"

#include "platform/files.h"
#include "platform/libraries.h"

namespace pixmera {

namespace {

// The module's entry point: the mode ("window", "uninstall", "screenshot")
// and its argument; returns the exit status.
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

int run_module(const char* mode, const std::string& argument) {
  WindowEntry entry = find_window_module();
  return entry != nullptr ? entry(mode, argument.c_str()) : 0;
}

}  // namespace

int run_window_face() { return run_module("window", {}); }
int run_uninstall_page() { return run_module("uninstall", {}); }
int run_screenshot_mode(const std::string& folder) { return run_module("screenshot", folder); }

}  // namespace pixmera
