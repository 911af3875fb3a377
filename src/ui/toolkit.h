// The window module's toolkit: wxWidgets, started once per process, and what
// the windows ask of the system under it. toolkit.cpp holds what both
// systems share; toolkit_gtk.cpp is GTK 3 on Linux, toolkit_msw.cpp the
// native controls of Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class wxWindow;
class wxRect;
class wxPoint;
class wxMenu;
class wxMenuItem;
class wxBitmap;
class wxTextCtrl;
class wxListbook;
class wxBitmapComboBox;

namespace pixmera::ui {

// Connects to the display and starts wxWidgets. False with the reason in
// `why` ("no display", "cannot connect to display :5").
bool start_toolkit(std::string& why);
void stop_toolkit();

// How much larger than at 96 dpi the user's text is drawn (GDK_DPI_SCALE,
// the desktop's font resolution; Windows' display scale): 1 at 100 %, 1.5
// at 150 %. The main window
// scales its fixed layout by it so larger text still fits.
double text_scale();
// A layout length in pixels at the current text scale.
int scaled(int length);

// The libraries under the windows, for the about box: GTK and wxWidgets on
// Linux, wxWidgets alone (its native Windows controls) on Windows.
std::vector<std::string_view> toolkit_credits();

// Waits until the display has carried out every request sent so far (a
// window destroyed is gone from the screen, a window shown is painted).
void sync_display();

// The window's rectangle on the screen, the window manager's frame included.
wxRect screen_rect_of(wxWindow* window);
// The rectangle of the menu that is open now (a drop-down of the menu bar or
// a pop-up menu); empty when none is.
wxRect open_menu_rect();
// The middle of a menu's title in the menu bar, on the screen.
wxPoint menu_title_centre(wxMenu* menu);
// Closes every open menu.
void close_open_menus();
// Saves what the screen shows in `area` as a PNG picture.
bool save_screen_area(const wxRect& area, const std::string& path);

// Gives a menu item its icon, beside the item's text and clear of it at
// every text scale.
void set_menu_icon(wxMenuItem* item, const wxBitmap& icon);
// Shows an entry's text from its start (a path from its root or drive),
// whatever part of it is selected.
void show_text_start(wxTextCtrl* entry);

// Compact entries, combo boxes and buttons for a window laid out to the
// pixel; applies to `window` and everything inside it.
void use_compact_style(wxWindow* window);
// Widens a list of pages to its longest title at the current text scale
// (Windows' list view keeps the width it had at 96 dpi).
void fit_page_list(wxListbook* pages);
// Widens a list that shows a picture before each entry to hold its widest
// entry with the picture (wxMSW's best width for it holds neither, and the
// names of the colours were cut off).
void fit_picture_list(wxBitmapComboBox* list);
// Draws a label's text at the top of its box rather than centred in it; the
// box may reach over the control placed below the label, which stays
// uncovered.
void align_label_top(wxWindow* label);
// Widens a label or link sized to its text by one character where the
// system may draw a text wider than it measures it (wine's GDI at 96 dpi
// cut the last character, "Licence 3." for 3.1); unchanged elsewhere.
void leave_room_after_text(wxWindow* text);
// Lets the text of a check box or label wrap onto more lines so that it is
// at most `width` pixels wide.
void wrap_label(wxWindow* control, int width);
// True once the window manager has put a top-level window on the screen
// (X has mapped it, and moved it where keep_position_when_mapped asked),
// not merely since it was asked to show. A dialog centred on a window
// before then lands wherever the manager puts windows without a place.
bool mapped_on_screen(wxWindow* top_level);
// Moves a top-level window to its position again once it is mapped: some
// window managers place a new GTK 3 window at 0,0 whatever it asked for.
void keep_position_when_mapped(wxWindow* frame, int x, int y);

}  // namespace pixmera::ui
