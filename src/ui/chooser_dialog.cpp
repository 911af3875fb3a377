// "Select Input Files": two picture buttons with a caption button under
// each, one for files and one for a folder. Modal, so the main window takes
// no input while it is open; Esc closes it.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/dialog.h>

#include "settings/catalogue.h"
#include "ui/dialogs.h"
#include "ui/theme.h"
#include "ui/toolkit.h"

namespace pixmera::ui {

namespace {

constexpr int kFilesCode = wxID_HIGHEST + 101;
constexpr int kFolderCode = wxID_HIGHEST + 102;

wxString menu_text(std::string_view key) { return wxString::FromUTF8(catalogue_text("Menu", key)); }

class ChooserDialog : public wxDialog {
 public:
  ChooserDialog(wxWindow* parent, const Theme* theme)
      : wxDialog(parent, wxID_ANY, menu_text("Select Input Files")) {
    SetName("input chooser");
    SetClientSize(scaled(270), scaled(160));
    add_choice(theme, "InFiles", "Select Input File", scaled(70), kFilesCode);
    add_choice(theme, "InFolder", "Select Input Folder", scaled(200), kFolderCode);
    use_compact_style(this);
    CentreOnParent();
  }

 private:
  // A picture button of 80 x 80 and its caption button under it, centred on
  // `centre`; both end the dialog with `code`.
  void add_choice(const Theme* theme, std::string_view picture, std::string_view caption,
                  int centre, int code) {
    const int x = centre - scaled(40);
    const int side = scaled(80);
    wxWindow* button = nullptr;
    const wxBitmap bitmap = theme != nullptr ? theme->button(picture, scaled(64)) : wxBitmap();
    if (bitmap.IsOk()) {
      button = new wxBitmapButton(this, code, bitmap, wxPoint(x, scaled(12)), wxSize(side, side));
    } else {
      button =
          new wxButton(this, code, menu_text(caption), wxPoint(x, scaled(12)), wxSize(side, side));
    }
    button->SetName(std::string(picture));
    button->SetToolTip(menu_text(caption));
    auto* label = new wxButton(this, code, menu_text(caption), wxPoint(x - scaled(15), scaled(100)),
                               wxSize(scaled(110), scaled(28)));
    label->SetName(std::string(picture) + " caption");
    Bind(
        wxEVT_BUTTON, [this, code](wxCommandEvent&) { EndModal(code); }, code);
  }
};

}  // namespace

InputChoice show_input_chooser(wxWindow* parent, const Theme* theme) {
  ChooserDialog dialog(parent, theme);
  switch (dialog.ShowModal()) {
    case kFilesCode:
      return InputChoice::Files;
    case kFolderCode:
      return InputChoice::Folder;
    default:
      return InputChoice::None;
  }
}

}  // namespace pixmera::ui
