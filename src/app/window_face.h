// The windowed face, reached when the command line names no input. The
// window itself lives in a module of its own that is loaded only here.
#pragma once

#include <string>

namespace pixmera {

// Runs the main window until it is closed; returns the exit status. Without
// the window module installed it ends quietly with 0.
int run_window_face();
// "-U": the uninstall page.
int run_uninstall_page();
// "-T <folder>": pictures of the window saved into the folder.
int run_screenshot_mode(const std::string& folder);

}  // namespace pixmera
