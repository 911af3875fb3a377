#include "ui/input_field.h"

#include <wx/artprov.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "ui/toolkit.h"

namespace pixmera::ui {

namespace {

constexpr int kCopyItem = 11;
constexpr int kDeleteItem = 12;
constexpr int kSelectAllItem = 13;
constexpr int kVisibleRows = 10;

}  // namespace

bool InputListPopup::Create(wxWindow* parent) {
  if (!wxListView::Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxLC_REPORT | wxLC_NO_HEADER | wxBORDER_SIMPLE)) {
    return false;
  }
  AppendColumn(wxString());
  Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) { choose(event.GetIndex()); });
  Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent&) {
    if (on_context_menu) on_context_menu();
  });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    SetColumnWidth(0, GetClientSize().x);
    event.Skip();
  });
  Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
    int item = -1;
    if (event.ControlDown() && event.GetKeyCode() == 'C') item = kCopyItem;
    if (event.ControlDown() && event.GetKeyCode() == 'A') item = kSelectAllItem;
    if (event.ControlDown() &&
        (event.GetKeyCode() == WXK_DELETE || event.GetKeyCode() == WXK_NUMPAD_DELETE)) {
      item = kDeleteItem;
    }
    if (item >= 0 && on_command) {
      on_command(item);
    } else if (event.GetKeyCode() == WXK_ESCAPE) {
      Dismiss();
    } else {
      event.Skip();
    }
  });
  return true;
}

wxSize InputListPopup::GetAdjustedSize(int min_width, int, int max_height) {
  const int rows = std::clamp(GetItemCount(), 1, kVisibleRows);
  wxRect row;
  const int row_height =
      GetItemCount() > 0 && GetItemRect(0, row) ? row.height : GetCharHeight() + 6;
  return {min_width, std::min(max_height, rows * row_height + 4)};
}

void InputListPopup::show_entries(const std::vector<std::string>& paths) {
  Freeze();
  DeleteAllItems();
  for (const std::string& path : paths) {
    InsertItem(GetItemCount(), wxString::FromUTF8(path));
  }
  SetColumnWidth(0, GetClientSize().x > 0 ? GetClientSize().x : wxLIST_AUTOSIZE);
  Thaw();
}

std::vector<std::string> InputListPopup::selected_paths() const {
  std::vector<std::string> paths;
  for (long row = GetFirstSelected(); row >= 0; row = GetNextSelected(row)) {
    paths.push_back(GetItemText(row).utf8_string());
  }
  return paths;
}

std::vector<std::string> InputListPopup::all_paths() const {
  std::vector<std::string> paths;
  for (long row = 0; row < GetItemCount(); ++row) paths.push_back(GetItemText(row).utf8_string());
  return paths;
}

void InputListPopup::select_all() {
  for (long row = 0; row < GetItemCount(); ++row) Select(row, true);
}

void InputListPopup::choose(long row) {
  if (row < 0) return;
  chosen_ = GetItemText(row);
  Dismiss();
  if (wxComboCtrl* combo = GetComboCtrl()) combo->SetValue(chosen_);
}

InputField::InputField(wxWindow* parent, const wxPoint& position, const wxSize& size)
    : wxComboCtrl(parent, wxID_ANY, wxString(), position, size, wxCC_STD_BUTTON) {
  list_ = new InputListPopup;
  SetPopupControl(list_);
  // The same arrow as the output folder box beside it, on a push button.
  const wxBitmap arrow =
      wxArtProvider::GetBitmap("pan-down-symbolic", wxART_BUTTON, wxSize(scaled(16), scaled(16)));
  if (arrow.IsOk()) SetButtonBitmaps(arrow, true);
  // Taking the focus selects the whole text again, which scrolls a native
  // edit control to its end; the text still shows from its start.
  if (wxTextCtrl* text = GetTextCtrl()) {
    text->Bind(wxEVT_SET_FOCUS, [this, text](wxFocusEvent& event) {
      event.Skip();
      CallAfter([text] {
        long from = 0;
        long to = 0;
        text->GetSelection(&from, &to);
        if (from == 0 && to > 0 && to == text->GetLastPosition()) show_text_start(text);
      });
    });
  }
}

void InputField::OnButtonClick() {
  if (list_->GetItemCount() == 0 && on_empty_drop_down) {
    on_empty_drop_down();
    return;
  }
  wxComboCtrl::OnButtonClick();
}

void InputField::DoSetValue(const wxString& value, int flags) {
  // wxComboCtrl selects the whole new text, which scrolls a native edit
  // control to the text's end.
  wxComboCtrl::DoSetValue(value, flags);
  show_text_start(GetTextCtrl());
}

}  // namespace pixmera::ui
