// Message boxes and the debug output of the windowed face.
#include <wx/msgdlg.h>

#include "pipeline/current_file.h"
#include "platform/console.h"
#include "settings/catalogue.h"
#include "ui/dialogs.h"

namespace pixmera::ui {

int show_message(wxWindow* parent, std::string_view title_key, const std::string& text,
                 long style) {
  wxMessageDialog dialog(parent, wxString::FromUTF8(text),
                         wxString::FromUTF8(catalogue_text("Msg", title_key)), style);
  if ((style & wxYES_NO) != 0) {
    dialog.SetYesNoLabels(wxString::FromUTF8(catalogue_text("Dialog", "Yes")),
                          wxString::FromUTF8(catalogue_text("Dialog", "No")));
  } else {
    dialog.SetOKLabel(wxString::FromUTF8(catalogue_text("Dialog", "OK")));
  }
  return dialog.ShowModal();
}

void debug_note(const std::string& text) {
  if (g_current_file.debug_text == "DEBUG") console_print_line(text);
}

}  // namespace pixmera::ui
