// Web pages and mail addresses open in the desktop's browser.
#include <wx/utils.h>

#include "ui/dialogs.h"

namespace pixmera::ui {

namespace {

bool launch_browser(const std::string& url) {
  return wxLaunchDefaultBrowser(wxString::FromUTF8(url));
}

WebPageOpener g_opener = launch_browser;

}  // namespace

bool open_web_page(const std::string& url) {
  debug_note("Web page: " + url);
  return g_opener(url);
}

WebPageOpener set_web_page_opener(WebPageOpener opener) {
  const WebPageOpener previous = g_opener;
  g_opener = opener != nullptr ? opener : launch_browser;
  return previous;
}

}  // namespace pixmera::ui
