// Item 18: the HTML manual, installed with the program, opened in the
// browser.
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/msgdlg.h>

#include "platform/files.h"
#include "settings/catalogue.h"
#include "ui/dialogs.h"
#include "util/text.h"

namespace pixmera::ui {

std::string manual_path() {
  // Where the installation puts it relative to the program, and so the
  // build tree.
  wxFileName path(wxString::FromUTF8(documentation_folder() + "manual.html"));
  path.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
  return path.GetFullPath().utf8_string();
}

void open_manual(wxWindow* parent) {
  const std::string path = manual_path();
  if (!file_exists(path)) {
    debug_note("Manual: " + path + " is missing");
    show_message(parent, "Error",
                 format_placeholders(catalogue_text("Msg", "Unable to open manual"), path),
                 wxOK | wxICON_ERROR);
    return;
  }
  const std::string address =
      wxFileSystem::FileNameToURL(wxFileName(wxString::FromUTF8(path))).utf8_string();
  if (!open_web_page(address)) {
    show_message(parent, "Error",
                 format_placeholders(catalogue_text("Msg", "Unable to open manual"), address),
                 wxOK | wxICON_ERROR);
  }
}

}  // namespace pixmera::ui
