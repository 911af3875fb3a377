// The window module's toolkit, the part both systems share: wxWidgets started
// once per process, the text scale and the desktop's size. What differs
// comes from toolkit_system.h.
#include "ui/toolkit.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cmath>

#include "platform/desktop.h"
#include "ui/toolkit_system.h"

namespace pixmera::ui {

namespace {

class PixmeraApp : public wxApp {
 public:
  bool OnInit() override {
    wxImage::AddHandler(new wxPNGHandler);
    return true;
  }
};

bool g_started = false;
double g_text_scale = 1.0;

// The text scale rounded to quarters, so 100 % is exactly 1.
double read_text_scale() {
  const double resolution = system::text_resolution();
  if (!(resolution > 0.0)) return 1.0;
  const double scale = std::round(resolution / 96.0 * 4.0) / 4.0;
  return scale < 1.0 ? 1.0 : (scale > 4.0 ? 4.0 : scale);
}

}  // namespace

bool start_toolkit(std::string& why) {
  if (g_started) return true;
  system::before_start();
  wxApp::SetInstance(new PixmeraApp);
  static int argc = 1;
  static char name[] = "pixmera";
  static char* argv[] = {name, nullptr};
  // wxWidgets would say in a line of its own that it did not start; the
  // user reads one line that says why.
  wxLog::EnableLogging(false);
  const bool started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
  wxLog::EnableLogging(true);
  if (!started) {
    why = system::why_not_started();
    return false;
  }
  system::after_start();
  g_text_scale = read_text_scale();
  if (wxDisplay::GetCount() > 0) {
    const wxRect desktop = wxDisplay(0u).GetGeometry();
    set_primary_desktop_size({desktop.GetWidth(), desktop.GetHeight()});
  }
  g_started = true;
  return true;
}

void stop_toolkit() {
  if (!g_started) return;
  wxTheApp->OnExit();
  wxEntryCleanup();
  g_started = false;
}

double text_scale() { return g_text_scale; }

int scaled(int length) { return static_cast<int>(std::lround(length * g_text_scale)); }

}  // namespace pixmera::ui
