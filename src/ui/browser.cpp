#include "ui/browser.h"

#include <wx/utils.h>

#include <utility>

namespace pixmera::ui {

namespace {

bool launch_default_browser(const std::string& address) {
  return wxLaunchDefaultBrowser(wxString::FromUTF8(address));
}

BrowserOpener& opener() {
  static BrowserOpener current = launch_default_browser;
  return current;
}

}  // namespace

bool open_in_browser(const std::string& address) { return opener()(address); }

BrowserOpener replace_browser(BrowserOpener replacement) {
  return std::exchange(opener(), std::move(replacement));
}

}  // namespace pixmera::ui
