// "-U": the small window that asks a user who removes the program why, by
// opening the vendor's feedback page when its box stays ticked.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/sizer.h>

#include "settings/catalogue.h"
#include "settings/product.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 100;

wxString uninstall_text(std::string_view key) {
  return wxString::FromUTF8(catalogue_text("Uninstall", key));
}

class UninstallPage : public wxDialog {
 public:
  UninstallPage()
      : wxDialog(nullptr, wxID_ANY, uninstall_text("Title"), wxDefaultPosition, wxDefaultSize,
                 wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU) {
    SetName("uninstall page");
    tell_us_ = new wxCheckBox(this, wxID_ANY, uninstall_text("Uninstall Text"));
    tell_us_->SetName("tell us");
    tell_us_->SetValue(true);
    wrap_label(tell_us_, scaled(kWidth - 20));
    // Not wxID_OK: the close box would then "click" it and send the user to
    // the page after all.
    auto* next = new wxButton(this, wxID_ANY, uninstall_text("Next"));
    next->SetName("next");
    next->SetDefault();

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(tell_us_, wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP, scaled(10)));
    column->AddStretchSpacer();
    column->Add(next, wxSizerFlags().Right().Border(wxALL, scaled(8)));
    SetSizer(column);
    const wxSize size(scaled(kWidth), scaled(kHeight));
    SetClientSize(size);
    SetMinClientSize(size);
    SetMaxClientSize(size);
    Layout();
    Centre();

    next->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
      if (tell_us_->GetValue()) send_to_feedback_page();
      EndModal(wxID_OK);
    });
  }

 private:
  void send_to_feedback_page() {
    if (open_web_page(kUninstallFeedbackAddress)) return;
    show_message(this, "Error",
                 format_placeholders(catalogue_text("Msg", "Unable to open web page"),
                                     kUninstallFeedbackAddress),
                 wxOK | wxICON_ERROR);
  }

  wxCheckBox* tell_us_ = nullptr;
};

}  // namespace

void show_uninstall_page() {
  UninstallPage page;
  page.ShowModal();
}

}  // namespace pixmera::ui
