// The window module's one exported function: the table the executable calls
// the window through.
#include <cstring>
#include <string>
#include <vector>

#include "app/window_module.h"
#include "platform/libraries.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

int open_display(char* reason, int reason_size) {
  std::string why;
  if (start_toolkit(why)) return 1;
  if (reason != nullptr && reason_size > 0) {
    std::strncpy(reason, why.c_str(), static_cast<size_t>(reason_size) - 1);
    reason[reason_size - 1] = '\0';
  }
  return 0;
}

int run(const char* mode, const char* argument) {
  const std::string face = mode != nullptr ? mode : "";
  const std::string text = argument != nullptr ? argument : "";
  if (face == "window") {
    std::vector<std::string> words;
    if (!text.empty()) words = split(text, '\n');
    return run_main_window(words);
  }
  if (face == "screenshot") return take_screenshots(text);
  if (face == "uninstall") {
    show_uninstall_page();
    return 0;
  }
  debug_note("Window module: the face \"" + face + "\" is not available yet");
  return 0;
}

constexpr WindowModule kModule{kWindowModuleVersion, open_display, run, stop_toolkit};

}  // namespace

}  // namespace pixmera::ui

PIXMERA_MODULE_ENTRY const pixmera::WindowModule* pixmera_window_module() {
  return &pixmera::ui::kModule;
}
