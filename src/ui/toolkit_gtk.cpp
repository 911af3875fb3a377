// The window module's toolkit on Linux: wxGTK on GTK 3, and the few GTK
// settings the windows rely on.
#include <gtk/gtk.h>
#include <wx/bitmap.h>
#include <wx/gdicmn.h>
#include <wx/menu.h>
#include <wx/window.h>

#include <chrono>
#include <cstdlib>

#include "ui/toolkit.h"
#include "ui/toolkit_system.h"

namespace pixmera::ui {

namespace {

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

// Where a window is to stand once mapped, kept with its widget.
struct MappedPosition {
  int x;
  int y;
  bool moved = false;
  std::chrono::steady_clock::time_point moved_at;
};
constexpr const char* kMappedPosition = "pixmera-mapped-position";

gboolean move_on_map(GtkWidget* widget, GdkEvent*, gpointer data) {
  auto* position = static_cast<MappedPosition*>(data);
  gtk_window_move(GTK_WINDOW(widget), position->x, position->y);
  position->moved = true;
  position->moved_at = std::chrono::steady_clock::now();
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(move_on_map), data);
  return FALSE;
}

void free_position(gpointer data) { delete static_cast<MappedPosition*>(data); }

}  // namespace

std::vector<std::string_view> toolkit_credits() { return {"GTK", "wxWidgets"}; }

namespace system {

void before_start() {}

std::string why_not_started() {
  const std::string display = display_name();
  return display.empty() ? "no display" : "cannot connect to display " + display;
}

void after_start() {
  // F10 belongs to the program (item 20, which does nothing), not to GTK's
  // menu bar.
  // The theme's menu icons are shown; GTK 3 hides them unless asked.
  g_object_set(gtk_settings_get_default(), "gtk-menu-bar-accel", "", "gtk-menu-images", TRUE,
               nullptr);
}

// The desktop's font resolution (GDK_DPI_SCALE included): 96 at 100 %.
double text_resolution() { return gdk_screen_get_resolution(gdk_screen_get_default()); }

}  // namespace system

void sync_display() {
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_sync(display);
}

wxRect screen_rect_of(wxWindow* window) {
  auto* widget = static_cast<GtkWidget*>(window->GetHandle());
  GdkWindow* gdk_window = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
  if (gdk_window == nullptr) return window->GetScreenRect();
  GdkRectangle frame{};
  gdk_window_get_frame_extents(gdk_window, &frame);
  return {frame.x, frame.y, frame.width, frame.height};
}

namespace {

// The menu GTK is grabbing input for: a pop-up menu, or the drop-down that
// the menu bar holds open.
GtkWidget* grabbing_menu() {
  GtkWidget* grab = gtk_grab_get_current();
  if (grab == nullptr || !GTK_IS_MENU_SHELL(grab)) return nullptr;
  if (GTK_IS_MENU_BAR(grab)) {
    GtkWidget* item = gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(grab));
    return item != nullptr ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
  }
  return grab;
}

}  // namespace

wxRect open_menu_rect() {
  GtkWidget* menu = grabbing_menu();
  if (menu == nullptr || !gtk_widget_get_mapped(menu)) return {};
  GdkWindow* popup = gtk_widget_get_window(gtk_widget_get_toplevel(menu));
  if (popup == nullptr) return {};
  GdkRectangle frame{};
  gdk_window_get_frame_extents(popup, &frame);
  return {frame.x, frame.y, frame.width, frame.height};
}

wxPoint menu_title_centre(wxMenu* menu) {
  GtkWidget* title = menu != nullptr ? menu->m_owner : nullptr;
  if (title == nullptr || gtk_widget_get_window(title) == nullptr) return {};
  GtkAllocation box{};
  gtk_widget_get_allocation(title, &box);
  int x = 0;
  int y = 0;
  gdk_window_get_origin(gtk_widget_get_window(title), &x, &y);
  return {x + box.x + box.width / 2, y + box.y + box.height / 2};
}

void close_open_menus() {
  while (GtkWidget* grab = gtk_grab_get_current()) {
    if (!GTK_IS_MENU_SHELL(grab)) break;
    gtk_menu_shell_cancel(GTK_MENU_SHELL(grab));
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(grab));
    if (gtk_grab_get_current() == grab) break;
  }
}

bool save_screen_area(const wxRect& area, const std::string& path) {
  if (area.IsEmpty()) return false;
  GdkPixbuf* picture = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.x, area.y,
                                                  area.width, area.height);
  if (picture == nullptr) return false;
  const gboolean saved = gdk_pixbuf_save(picture, path.c_str(), "png", nullptr, nullptr);
  g_object_unref(picture);
  return saved != FALSE;
}

// GTK puts the icon in a column of its own before the text.
void set_menu_icon(wxMenuItem* item, const wxBitmap& icon) { item->SetBitmap(icon); }

// A GTK entry shows its start until the user moves in it.
void show_text_start(wxTextCtrl*) {}

void use_compact_style(wxWindow* window) {
  if (auto* widget = static_cast<GtkWidget*>(window->GetHandle())) add_provider(widget, nullptr);
}

// GTK's combo box makes room for the picture itself.
void fit_picture_list(wxBitmapComboBox*) {}

// GTK's list sizes itself to its titles.
void fit_page_list(wxListbook*) {}

// GTK draws a label within the size it measures.
void leave_room_after_text(wxWindow*) {}

void align_label_top(wxWindow* label) {
  auto* widget = static_cast<GtkWidget*>(label->GetHandle());
  if (widget != nullptr && GTK_IS_LABEL(widget)) gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
}

void wrap_label(wxWindow* control, int width) {
  auto* outer = static_cast<GtkWidget*>(control->GetHandle());
  GtkWidget* label = outer;
  if (label != nullptr && GTK_IS_BIN(label)) label = gtk_bin_get_child(GTK_BIN(label));
  if (label == nullptr || !GTK_IS_LABEL(label)) return;
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  // wx sizes controls by their natural size, at which the text would not
  // wrap. The label's height at the width it is left beside the check
  // mark, plus what the control adds around it, is the size to give.
  GtkRequisition whole{};
  GtkRequisition text{};
  gtk_widget_get_preferred_size(outer, nullptr, &whole);
  gtk_widget_get_preferred_size(label, nullptr, &text);
  const int beside = whole.width - text.width;
  gint minimum = 0;
  gint natural = 0;
  gtk_widget_get_preferred_height_for_width(label, width - beside, &minimum, &natural);
  control->SetInitialSize(wxSize(width, natural + (whole.height - text.height)));
}

bool mapped_on_screen(wxWindow* top_level) {
  auto* widget = static_cast<GtkWidget*>(top_level != nullptr ? top_level->GetHandle() : nullptr);
  GdkWindow* window = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
  // GDK clears "withdrawn" when the X server reports the window mapped.
  if (window == nullptr || !gtk_widget_get_mapped(widget) ||
      (gdk_window_get_state(window) & GDK_WINDOW_STATE_WITHDRAWN) != 0) {
    return false;
  }
  const auto* position =
      static_cast<const MappedPosition*>(g_object_get_data(G_OBJECT(widget), kMappedPosition));
  if (position == nullptr) return true;
  if (!position->moved) return false;
  // Moved again after the map: on the screen once the window manager has
  // carried the move out, or refused it for a moment.
  GdkRectangle frame{};
  gdk_window_get_frame_extents(window, &frame);
  return (frame.x == position->x && frame.y == position->y) ||
         std::chrono::steady_clock::now() - position->moved_at > std::chrono::milliseconds(500);
}

void keep_position_when_mapped(wxWindow* frame, int x, int y) {
  auto* widget = static_cast<GtkWidget*>(frame->GetHandle());
  if (widget == nullptr) return;
  // The position lives as long as the widget; the handler runs once.
  auto* position = new MappedPosition{x, y, false, {}};
  g_object_set_data_full(G_OBJECT(widget), kMappedPosition, position, free_position);
  g_signal_connect(widget, "map-event", G_CALLBACK(move_on_map), position);
}

}  // namespace pixmera::ui
