// Opening web pages and the manual in the user's browser.
#pragma once

#include <functional>
#include <string>

namespace pixmera::ui {

// Opens an address (https://, mailto: or file://) with the desktop's
// browser; false when none could be started.
bool open_in_browser(const std::string& address);

// What opens addresses; the GUI tests put their own in place to see which
// page a command opens. Returns the one it replaces.
using BrowserOpener = std::function<bool(const std::string& address)>;
BrowserOpener replace_browser(BrowserOpener opener);

}  // namespace pixmera::ui
