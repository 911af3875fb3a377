// "Preferences": every setting a user may change, on nine pages. The dialog
// works on a copy of the Settings record; OK checks what changed the way a
// conversion would, stores only the settings that changed and saves the
// configuration file at once. Cancel leaves the record and the file alone.
//
// The pages (general.cpp to advanced.cpp beside this file) describe their
// rows as tables; rows.cpp makes the controls. This file is the dialog
// around them: the page list, the buttons, storing and saving.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbook.h>
#include <wx/sizer.h>

#include <array>
#include <string>
#include <string_view>

#include "settings/catalogue.h"
#include "settings/config_file.h"
#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/sheet.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

using preferences::Sheet;
using preferences::text_of;

struct PageEntry {
  std::string_view key;
  wxWindow* (*make)(wxWindow* book, Sheet& sheet);
};

// The pages, in the order PreferencesPage counts them.
constexpr PageEntry kPages[] = {
    {"General", preferences::general_page},     {"Interface", preferences::interface_page},
    {"Input", preferences::input_page},         {"Output", preferences::output_page},
    {"Transform", preferences::transform_page}, {"Adjustment", preferences::adjustment_page},
    {"Frame", preferences::frame_page},         {"Watermark", preferences::watermark_page},
    {"Advanced", preferences::advanced_page},
};
static_assert(std::size(kPages) == static_cast<size_t>(PreferencesPage::LastShown));

// The page shown when the dialog was last closed, for item 17.
int g_last_page = 0;

class PreferencesDialog : public wxDialog {
 public:
  PreferencesDialog(wxWindow* parent, PreferencesPage page)
      : wxDialog(parent, wxID_ANY, text_of("Title"), wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
        original_(g_settings),
        edited_(g_settings) {
    SetName("preferences dialog");
    pages_ = new wxListbook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLB_LEFT);
    pages_->SetName("pages");
    for (const PageEntry& entry : kPages) {
      wxWindow* made = entry.make(pages_, sheet_);
      made->SetName(std::string(entry.key));
      pages_->AddPage(made, text_of(entry.key));
    }
    fit_page_list(pages_);
    // Filled before the dialog takes its size, so lists measure their entries.
    sheet_.show(edited_);
    // Any tick or choice may switch other controls on or off.
    Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
      sheet_.update();
      event.Skip();
    });
    Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
      sheet_.update();
      event.Skip();
    });

    auto* reset = new wxButton(this, wxID_ANY, text_of("Reset to Defaults"));
    reset->SetName("reset to defaults");
    reset->SetToolTip(text_of("Reset to Defaults Tip"));
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { reset_to_defaults(); });
    wxStdDialogButtonSizer* buttons = CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    FindWindow(wxID_OK)->SetLabel(wxString::FromUTF8(catalogue_text("Dialog", "OK")));
    FindWindow(wxID_CANCEL)->SetLabel(wxString::FromUTF8(catalogue_text("Dialog", "Cancel")));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { accept(); }, wxID_OK);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(reset, wxSizerFlags().CenterVertical());
    bottom->AddStretchSpacer();
    bottom->Add(buttons, wxSizerFlags().CenterVertical());
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(pages_, wxSizerFlags(1).Expand().Border(wxALL, 8));
    top->Add(bottom, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, 8));
    SetSizer(top);
    use_compact_style(this);
    Fit();

    int first = page == PreferencesPage::LastShown ? g_last_page : static_cast<int>(page);
    if (first < 0 || first >= static_cast<int>(pages_->GetPageCount())) first = 0;
    pages_->ChangeSelection(static_cast<size_t>(first));
    CentreOnParent();
  }

  ~PreferencesDialog() override { g_last_page = pages_->GetSelection(); }

 private:
  // The first change that a conversion would refuse, shown on its page;
  // false when there is one. Only what changed is checked: a setting the
  // user did not touch is not his to mend here.
  bool changes_are_usable() {
    const std::optional<preferences::Refusal> refusal = sheet_.first_refusal(edited_, original_);
    if (!refusal) return true;
    go_to(refusal->control);
    show_message(this, "Warning",
                 format_placeholders(catalogue_text("Msg", refusal->message), refusal->detail),
                 wxOK | wxICON_WARNING);
    return false;
  }

  // Shows the page that holds the control and puts the focus there.
  void go_to(const std::string& control) {
    for (size_t i = 0; i < pages_->GetPageCount(); ++i) {
      if (wxWindow* window = pages_->GetPage(i)->FindWindow(control)) {
        pages_->SetSelection(i);
        window->SetFocus();
        return;
      }
    }
  }

  // Every setting the dialog changed goes into the record; settings changed
  // meanwhile by someone else (the update check) keep their new value.
  void store_changes() {
    for (const SettingField& field : setting_fields()) {
      switch (field.type) {
        case SettingType::String:
          if (setting_text(edited_, field) != setting_text(original_, field)) {
            set_setting_text(g_settings, field, setting_text(edited_, field));
          }
          break;
        case SettingType::Real:
          if (setting_real(edited_, field) != setting_real(original_, field)) {
            set_setting_real(g_settings, field, setting_real(edited_, field));
          }
          break;
        default:
          if (setting_int(edited_, field) != setting_int(original_, field)) {
            set_setting_int(g_settings, field, setting_int(edited_, field));
          }
          break;
      }
    }
  }

  void accept() {
    sheet_.take(edited_);
    if (!changes_are_usable()) return;
    store_changes();
    if (!save_configuration()) {
      // The change holds for this run; the save at the end tries again.
      show_message(
          this, "Error",
          format_placeholders(catalogue_text("Msg", "Unable to save file"), g_settings.config_path),
          wxOK | wxICON_ERROR);
    }
    EndModal(wxID_OK);
  }

  void reset_to_defaults() {
    if (show_message(this, "Question", catalogue_text("Msg", "Ask reset to defaults"),
                     wxYES_NO | wxICON_QUESTION) != wxID_YES) {
      return;
    }
    reset_settings(edited_, false);
    sheet_.show(edited_);
  }

  const Settings original_;
  Settings edited_;
  Sheet sheet_;
  wxListbook* pages_ = nullptr;
};

}  // namespace

bool show_preferences(wxWindow* parent, PreferencesPage page) {
  PreferencesDialog dialog(parent, page);
  return dialog.ShowModal() == wxID_OK;
}

}  // namespace pixmera::ui
