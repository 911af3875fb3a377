// The window module's toolkit on Windows: wxMSW, started inside the window
// module DLL. Native controls are already laid out for
// the system's text size, so the compact style and the label alignment the
// GTK build needs are left to the system here; what the screenshot mode and
// the tests ask of the toolkit (screen rectangles, the open menu, a picture
// of the screen) comes from the window manager's own calls.
// clang-format off
// <windows.h> as wx includes it (winsock2.h first, the Unicode names), then
// the system's headers that need it, and wxSetInstance.
#include <wx/msw/wrapwin.h>
#include <wx/msw/private.h>
#include <dwmapi.h>
// clang-format on

#include <wx/bmpcbox.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/listbook.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/msw/private.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/textwrapper.h>
#include <wx/window.h>

#include <algorithm>

#include "ui/toolkit.h"
#include "ui/toolkit_system.h"

namespace pixmera::ui {

namespace {

// The module this code is linked into: wxMSW registers its window classes
// and finds its resources (cursors, bitmaps of wx.rc) there, not in the
// program that loaded it.
HINSTANCE this_module() {
  static const int here = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&here), &module);
  return module;
}

// The popup window of a menu that is open now (the class every menu of the
// system is drawn in), when it belongs to this process.
HWND open_menu_window() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        wchar_t name[16] = {};
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
        if (GetClassNameW(window, name, 16) == 0 || wcscmp(name, L"#32768") != 0) return TRUE;
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

std::vector<std::string_view> toolkit_credits() { return {"wxWidgets"}; }

namespace system {

void before_start() { wxSetInstance(this_module()); }

std::string why_not_started() { return "the window system did not start"; }

void after_start() {}

// LOGPIXELSY of the screen: 96 at 100 %, 144 at 150 %.
double text_resolution() { return wxScreenDC().GetPPI().y; }

}  // namespace system

void sync_display() {
  // Painting is synchronous here: every pending paint is carried out now.
  for (wxWindow* window : wxTopLevelWindows) {
    if (window->IsShown()) window->Update();
  }
  GdiFlush();
}

wxRect screen_rect_of(wxWindow* window) {
  auto* handle = static_cast<HWND>(window->GetHandle());
  if (handle == nullptr) return window->GetScreenRect();
  // The frame as drawn: without the invisible resize borders Windows 10
  // counts into the window rectangle. Where the composition manager does
  // not answer (wine), the window rectangle is the frame.
  RECT frame{};
  if (FAILED(DwmGetWindowAttribute(handle, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame)) ||
      frame.right <= frame.left) {
    GetWindowRect(handle, &frame);
  }
  return {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

wxRect open_menu_rect() {
  HWND menu = open_menu_window();
  RECT box{};
  if (menu == nullptr || !GetWindowRect(menu, &box)) return {};
  return {box.left, box.top, box.right - box.left, box.bottom - box.top};
}

wxPoint menu_title_centre(wxMenu* menu) {
  wxMenuBar* bar = menu != nullptr ? menu->GetMenuBar() : nullptr;
  wxWindow* frame = bar != nullptr ? bar->GetFrame() : nullptr;
  if (frame == nullptr) return {};
  for (size_t index = 0; index < bar->GetMenuCount(); ++index) {
    if (bar->GetMenu(index) != menu) continue;
    RECT title{};
    if (!GetMenuItemRect(static_cast<HWND>(frame->GetHandle()), static_cast<HMENU>(bar->GetHMenu()),
                         static_cast<UINT>(index), &title)) {
      return {};
    }
    return {(title.left + title.right) / 2, (title.top + title.bottom) / 2};
  }
  return {};
}

void close_open_menus() {
  if (open_menu_window() != nullptr) EndMenu();
}

bool save_screen_area(const wxRect& area, const std::string& path) {
  if (area.IsEmpty()) return false;
  wxBitmap picture(area.width, area.height, 24);
  {
    wxScreenDC screen;
    wxMemoryDC memory(picture);
    if (!memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y)) return false;
  }
  return picture.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

void set_menu_icon(wxMenuItem* item, const wxBitmap& icon) {
  // A menu of the system draws an item's bitmap in the check-mark column
  // (wxMSW asks for MNS_CHECKORBMP). Where that column is narrower than the
  // bitmap, as under wine, the bitmap covers the first letters of the text
  // and is copied without its transparency. Drawn by wxWidgets, the items
  // of a menu get a margin as wide as its widest bitmap, drawn with its
  // alpha, and the text after it.
  item->SetOwnerDrawn(true);
  item->SetBitmap(icon);
}

void show_text_start(wxTextCtrl* entry) {
  if (entry == nullptr) return;
  // An edit control scrolls to its caret, which a selection leaves at its
  // end: the caret goes to the selection's start, the selection stays.
  long from = 0;
  long to = 0;
  entry->GetSelection(&from, &to);
  const auto edit = static_cast<HWND>(entry->GetHandle());
  if (from == to) from = to = 0;
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(to), static_cast<LPARAM>(from));
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Windows' own controls keep the system's text size and its compact metrics.
void use_compact_style(wxWindow*) {}

void fit_page_list(wxListbook* pages) {
  wxListView* list = pages->GetListView();
  int widest = 0;
  for (long item = 0; item < list->GetItemCount(); ++item) {
    widest = std::max(widest, list->GetTextExtent(list->GetItemText(item)).x);
  }
  // The item's own margins on both sides of its text.
  list->SetColumnWidth(0, widest + scaled(12));
  pages->InvalidateBestSize();
}

void fit_picture_list(wxBitmapComboBox* list) {
  if (list->GetCount() == 0) return;
  // wxMSW's best width for it holds neither its entries nor their pictures.
  int widest = 0;
  for (unsigned int item = 0; item < list->GetCount(); ++item) {
    widest = std::max(widest, list->GetTextExtent(list->GetString(item)).x);
  }
  const int button = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, list);
  // The picture, the gaps before, between and after, the frame.
  const int width = widest + list->GetItemBitmap(0).GetWidth() + button + scaled(16);
  list->SetMinSize(wxSize(std::max(width, list->GetMinSize().x), -1));
}

// A static control draws its text from the top of its box already, but
// paints the whole box: one that reaches over the control below it (the
// layout's labels are 20 high, their controls start 15 below them) covers
// that control's top. The box ends below the label's text instead.
void align_label_top(wxWindow* label) {
  const wxSize box = label->GetSize();
  // Its best size is at least the size it was placed with.
  const int text_height =
      std::max(label->GetCharHeight(), label->GetTextExtent(label->GetLabel()).y);
  if (text_height < box.y) label->SetSize(wxSize(box.x, text_height));
}

namespace {

// Breaks a label's text into lines at most `width` pixels wide in the
// control's font.
class LineBreaker : public wxTextWrapper {
 public:
  wxString broken(wxWindow* control, const wxString& text, int width) {
    Wrap(control, text, width);
    return result_;
  }

 protected:
  void OnOutputLine(const wxString& line) override { result_ += line; }
  void OnNewLine() override { result_ += '\n'; }

 private:
  wxString result_;
};

}  // namespace

void leave_room_after_text(wxWindow* text) {
  const wxSize best = text->GetBestSize();
  text->SetMinSize(wxSize(best.x + text->GetCharWidth(), best.y));
}

void wrap_label(wxWindow* control, int width) {
  if (auto* label = dynamic_cast<wxStaticText*>(control)) {
    label->Wrap(width);
    control->SetInitialSize(wxSize(width, label->GetBestSize().y));
    return;
  }
  auto* check = dynamic_cast<wxCheckBox*>(control);
  if (check == nullptr) return;
  // The check mark and its gap take the width of the control without text.
  const int text_width = control->GetTextExtent(check->GetLabel()).x;
  const int beside = check->GetBestSize().x - text_width;
  check->SetLabel(LineBreaker().broken(control, check->GetLabel(), width - beside));
  control->InvalidateBestSize();
  control->SetInitialSize(wxSize(width, check->GetBestSize().y));
}

bool mapped_on_screen(wxWindow* top_level) {
  return top_level != nullptr && top_level->IsShownOnScreen();
}

// Windows puts a new window where it asked to be.
void keep_position_when_mapped(wxWindow*, int, int) {}

}  // namespace pixmera::ui
