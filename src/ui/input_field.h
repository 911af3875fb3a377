// The main window's input field: an editable path with the input list in its
// drop-down. The list allows several entries to be selected; its pop-up
// menu (Copy, Delete, Select All) is the main window's.
#pragma once

#include <wx/combo.h>
#include <wx/listctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace pixmera::ui {

class InputListPopup : public wxListView, public wxComboPopup {
 public:
  bool Create(wxWindow* parent) override;
  wxWindow* GetControl() override { return this; }
  void SetStringValue(const wxString&) override {}
  wxString GetStringValue() const override { return chosen_; }
  wxSize GetAdjustedSize(int min_width, int preferred_height, int max_height) override;

  void show_entries(const std::vector<std::string>& paths);
  std::vector<std::string> selected_paths() const;
  std::vector<std::string> all_paths() const;
  void select_all();

  // Set by the main window: a right click, and the list's own keys for the
  // pop-up menu items (Ctrl+C, Ctrl+Del, Ctrl+A) by item number.
  std::function<void()> on_context_menu;
  std::function<void(int item)> on_command;

 private:
  void choose(long row);
  wxString chosen_;
};

class InputField : public wxComboCtrl {
 public:
  InputField(wxWindow* parent, const wxPoint& position, const wxSize& size);

  InputListPopup* list() const { return list_; }
  // Set by the main window: what the drop-down button does while the list is
  // empty (the chooser of files and folders).
  std::function<void()> on_empty_drop_down;

  void OnButtonClick() override;

 protected:
  // A value set by the program shows from its start, as a path is read.
  void DoSetValue(const wxString& value, int flags) override;

 private:
  InputListPopup* list_ = nullptr;
};

}  // namespace pixmera::ui
