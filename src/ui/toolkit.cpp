#include "ui/toolkit.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/window.h>

#include <cmath>
#include <cstdlib>

#include "platform/desktop.h"

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
  const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  if (!(resolution > 0.0)) return 1.0;
  const double scale = std::round(resolution / 96.0 * 4.0) / 4.0;
  return scale < 1.0 ? 1.0 : (scale > 4.0 ? 4.0 : scale);
}

std::string display_name() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

constexpr const char* kCompactCss =
    "* { font-size: 9pt; }\n"
    "entry { min-height: 0; padding-top: 1px; padding-bottom: 1px; }\n"
    "combobox button, combobox entry, combobox box { min-height: 0; padding-top: 0; "
    "padding-bottom: 0; }\n"
    "button { min-height: 0; min-width: 0; padding: 1px 2px; }\n"
    "spinbutton button { padding: 0 4px; }\n"
    "label { padding: 0; }\n";

GtkCssProvider* compact_provider() {
  static GtkCssProvider* provider = [] {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kCompactCss, -1, nullptr);
    return css;
  }();
  return provider;
}

void add_provider(GtkWidget* widget, gpointer) {
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                 GTK_STYLE_PROVIDER(compact_provider()),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), add_provider, nullptr);
  }
}

struct MappedPosition {
  int x;
  int y;
};

gboolean move_on_map(GtkWidget* widget, GdkEvent*, gpointer data) {
  const auto* position = static_cast<MappedPosition*>(data);
  gtk_window_move(GTK_WINDOW(widget), position->x, position->y);
  // Once is enough; disconnecting frees the position.
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(move_on_map), data);
  return FALSE;
}

void free_position(gpointer data, GClosure*) { delete static_cast<MappedPosition*>(data); }

}  // namespace

bool start_toolkit(std::string& why) {
  if (g_started) return true;
  wxApp::SetInstance(new PixmeraApp);
  static int argc = 1;
  static char name[] = "pixmera";
  static char* argv[] = {name, nullptr};
  // wxWidgets would say in a line of its own that GTK did not start; the
  // user reads one line that says why.
  wxLog::EnableLogging(false);
  const bool started = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
  wxLog::EnableLogging(true);
  if (!started) {
    const std::string display = display_name();
    why = display.empty() ? "no display" : "cannot connect to display " + display;
    return false;
  }
  // F10 belongs to the program (item 20, which does nothing), not to GTK's
  // menu bar.
  // The theme's menu icons are shown; GTK 3 hides them unless asked.
  g_object_set(gtk_settings_get_default(), "gtk-menu-bar-accel", "", "gtk-menu-images", TRUE,
               nullptr);
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

void sync_display() {
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_sync(display);
}

void use_compact_style(wxWindow* window) {
  if (auto* widget = static_cast<GtkWidget*>(window->GetHandle())) add_provider(widget, nullptr);
}

void align_label_top(wxWindow* label) {
  auto* widget = static_cast<GtkWidget*>(label->GetHandle());
  if (widget != nullptr && GTK_IS_LABEL(widget)) gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
}

void keep_position_when_mapped(wxWindow* frame, int x, int y) {
  auto* widget = static_cast<GtkWidget*>(frame->GetHandle());
  if (widget == nullptr) return;
  // The position is freed with the handler: after the first map, or with a
  // window that never showed.
  g_signal_connect_data(widget, "map-event", G_CALLBACK(move_on_map), new MappedPosition{x, y},
                        free_position, static_cast<GConnectFlags>(0));
}

}  // namespace pixmera::ui
