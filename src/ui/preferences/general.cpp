// The "General" page (language, update check, window) and the "Interface"
// page (theme and icon size).
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datetime.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/dialogs.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"
#include "ui/theme_archive.h"

namespace pixmera::ui::preferences {

namespace {

// The catalogue holds English only, so that is the one language offered.
void language_row(const Place& place) {
  auto* languages = new wxChoice(place.form.parent(), wxID_ANY);
  languages->SetName(control_name(place.group, "Language"));
  languages->Append(text_of("English"));
  place.form.add("Language", languages);
  place.sheet.bind([languages](const Settings&) { languages->SetSelection(0); },
                   [](Settings& s) { s.language = "en"; });
}

// When the update check last asked, and "Check Now" to ask at once. The
// check sets the date; the dialog only shows it.
void last_check_row(const Place& place) {
  auto* last_check = new wxStaticText(place.form.parent(), wxID_ANY, wxEmptyString);
  last_check->SetName("last update check");
  auto* check_now = new wxButton(place.form.parent(), wxID_ANY, text_of("Check Now"));
  check_now->Bind(wxEVT_BUTTON, [check_now](wxCommandEvent&) {
    check_for_new_version(wxGetTopLevelParent(check_now));
  });
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(last_check, wxSizerFlags(1).CenterVertical());
  line->Add(check_now, wxSizerFlags().CenterVertical().Border(wxLEFT, 8));
  place.form.add("Update Date", line);
  place.sheet.bind(
      [last_check](const Settings& s) {
        last_check->SetLabel(s.update_date > 0
                                 ? wxDateTime(static_cast<time_t>(s.update_date)).Format("%c")
                                 : text_of("Update Never"));
      },
      [](Settings&) {});
}

constexpr std::string_view kUpdateRanges[] = {
    "Update Every Day",          "Update Every Week",       "Update Every Month",
    "Update Every Three Months", "Update Every Six Months", "Update Never"};

constexpr Row kLanguageRows[] = {custom(language_row)};
constexpr Row kUpdateRows[] = {
    // Any other value counts as 30 days.
    listed("Update Range", kUpdateRanges, 2).with_tip("Update Range Tip"),
    custom(last_check_row),
};
constexpr Row kWindowRows[] = {tick("Save Window Position")};

constexpr Section kGeneral[] = {
    {.rows = kLanguageRows},
    {.title = "Updates", .rows = kUpdateRows},
    {.title = "Window", .rows = kWindowRows},
};

// The themes found, and the one the settings name even when it is gone, so
// it is not lost by looking.
void theme_row(const Place& place) {
  std::vector<std::string> names;
  for (const auto& [name, file] : list_themes(theme_folders())) names.push_back(name);
  auto* themes = new wxChoice(place.form.parent(), wxID_ANY);
  themes->SetName(control_name(place.group, "UI Theme"));
  themes->SetToolTip(text_of("UI Theme Tip"));
  place.form.add("UI Theme", themes);
  place.sheet.bind(
      [themes, names](const Settings& s) {
        std::vector<std::string> shown = names;
        if (std::find(shown.begin(), shown.end(), s.ui_theme) == shown.end()) {
          shown.push_back(s.ui_theme);
        }
        themes->Clear();
        for (const std::string& name : shown) themes->Append(wxString::FromUTF8(name));
        themes->SetStringSelection(wxString::FromUTF8(s.ui_theme));
      },
      [themes](Settings& s) {
        if (themes->GetSelection() >= 0) s.ui_theme = themes->GetStringSelection().utf8_string();
      });
}

constexpr std::string_view kUiSizes[] = {"UI Size Small", "UI Size Medium", "UI Size Large",
                                         "UI Size Extra Large"};

constexpr Row kInterfaceRows[] = {
    custom(theme_row),
    // Other codes count as large.
    listed("UI Size", kUiSizes, 2),
};

}  // namespace

wxWindow* general_page(wxWindow* book, Sheet& sheet) {
  return section_page(book, sheet, "General", kGeneral);
}

wxWindow* interface_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Interface");
  page.add(Section{.rows = kInterfaceRows});
  page.add_note("Restart Note");
  return page.finish();
}

}  // namespace pixmera::ui::preferences
