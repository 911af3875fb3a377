// The windowed face, reached when the command line names no input. The
// window itself lives in a module of its own that is loaded only here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace pixmera {

// Runs the main window until it is closed; returns the exit status. Without
// a display, or without the window module, it prints one "Error: " line,
// leaves the configuration file alone and returns 1. `bare_words` are the
// command-line parameters that were no option (file names handed over by a
// file manager).
int run_window_face(const std::vector<std::string>& bare_words = {});
// "-U": the uninstall page.
int run_uninstall_page();
// "-T <folder>": pictures of the windows saved into the folder.
int run_screenshot_mode(const std::string& folder);

// How the main window was left.
struct WindowState {
  bool maximized = false;
  bool minimized = false;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// What the closing window records: maximised sets only "IsMaximized";
// minimised records nothing; otherwise "IsMaximized" is 0 and the position
// and size are the window's.
void record_window_geometry(Settings& settings, const WindowState& state);

}  // namespace pixmera
