// The "Advanced" page: how output files are named and dated, and the output
// folders the window remembers.
#include <wx/textctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "settings/keywords.h"
#include "settings/recent_folders.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"
#include "util/text.h"

namespace pixmera::ui::preferences {

namespace {

// The entry of "File Timestamp" that dates files by "Custom Timestamp".
constexpr int kCustomTimestamp = 2;

constexpr Row kNameRows[] = {
    mask("Filename Mask"),
    keyword("File Timestamp", kFamilyFileTimestamp).with_tip("File Timestamp Tip"),
    timestamp("Custom Timestamp").on_while("File Timestamp", kCustomTimestamp),
    tick("Keep Subfolders"),
};

// The folder shown is the first of the recent ones, which the window opens
// with; a new one goes in front of them.
void output_folder_row(const Place& place) {
  wxTextCtrl* folder = add_path({.form = place.form, .sheet = place.sheet, .group = "File"},
                                "Recent Out Folders", PathKind::Folder, "Default Output Folder");
  place.sheet.bind(
      [folder](const Settings& s) {
        const std::vector<std::string> recent = recent_out_folders(s);
        folder->ChangeValue(recent.empty() ? wxString() : wxString::FromUTF8(recent.front()));
      },
      [folder](Settings& s) {
        const std::string typed(trim_blanks(folder->GetValue().utf8_string()));
        const std::vector<std::string> recent = recent_out_folders(s);
        if (typed.empty() || (!recent.empty() && recent.front() == typed)) return;
        remember_out_folder(s, with_trailing_separator(typed));
      });
}

constexpr Row kFolderRows[] = {
    tick("Out Folders History"),
    number("Out Folders Number", 1, 50).on_while("Out Folders History"),
    custom(output_folder_row),
};

constexpr Section kAdvanced[] = {
    {.title = "File Names", .rows = kNameRows},
    {.title = "Output Folders", .rows = kFolderRows},
};

// The mask must give a name a file can have in the output folder.
std::optional<Refusal> unusable_mask(const Settings& s, const Settings& o) {
  if (s.filename_mask == o.filename_mask ||
      usable_file_name(example_name(s.filename_mask, s.tiff_bpp))) {
    return std::nullopt;
  }
  return Refusal{"Advanced/Filename Mask", "Invalid filename mask", s.filename_mask};
}

}  // namespace

wxWindow* advanced_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Advanced");
  page.add(kAdvanced);
  sheet.refuse(unusable_mask);
  return page.finish();
}

}  // namespace pixmera::ui::preferences
