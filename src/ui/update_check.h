// The update check of the windowed face: the version document is fetched on
// a thread of its own and the answer reaches the window through the event
// loop, so the window never waits for the network.
#pragma once

#include <string>

class wxWindow;

namespace pixmera::ui {

// The check the main window starts as it opens: not in screenshot mode
// (debug text "T"), never with "Update Range" 5, and only when the interval
// has passed since "Update Date". It speaks only of a newer version; a
// failure stays in the debug output.
void start_automatic_update_check(wxWindow* window);

// True while a check waits for its answer.
bool update_check_running();

// The address the check asks: PIXMERA_UPDATE_URL when set, else the
// vendor's version document.
std::string update_address();

}  // namespace pixmera::ui
