// The dialogs of the windowed face, each one file with its class in an
// anonymous namespace behind one free function.
#pragma once

#include <string>
#include <string_view>

class wxWindow;

namespace pixmera::ui {

struct Theme;

// The pages of the preferences dialog, in the order it shows them.
enum class PreferencesPage {
  General,
  Interface,
  Input,
  Output,
  Transform,
  Adjustment,
  Frame,
  Watermark,
  Advanced,
  LastShown,  // the page the dialog showed when it was last closed
};

// Edits the Settings record; OK stores and saves the configuration file.
// True when the user pressed OK.
bool show_preferences(wxWindow* parent, PreferencesPage page);
// "Find a File Converter": a search on the vendor's site for a pair of formats.
void show_custom_converter(wxWindow* parent);
void show_about(wxWindow* parent);
// Opens the manual in the browser; says so when it is missing.
void open_manual(wxWindow* parent);
// Where the manual is: share/doc/pixmera/manual.html beside the bin/ folder
// of the executable, under the prefix as in the build tree.
std::string manual_path();
// Asks the vendor's site for a newer version and tells the user the answer:
// a newer version, the newest already, or why the check failed. The answer
// comes when it arrives; the window goes on meanwhile.
void check_for_new_version(wxWindow* parent);

// "-U": asks why the program was removed; "Next" with the box ticked opens
// the vendor's feedback page. Returns when the window closes.
void show_uninstall_page();

// Message boxes: the title from group "Msg" ("Warning", "Information",
// "Question", "Error"), the text as given. Returns wxID_OK, wxID_YES or wxID_NO.
int show_message(wxWindow* parent, std::string_view title_key, const std::string& text, long style);

// "Select Input Files": the small chooser of the input field.
enum class InputChoice { None, Files, Folder };
InputChoice show_input_chooser(wxWindow* parent, const Theme* theme);

// Opens a web page, a "mailto:" address or a file:// one (the manual) with
// the desktop's browser; false when nothing could open it. Tests put an
// opener of their own in place and get the previous one back.
bool open_web_page(const std::string& url);
using WebPageOpener = bool (*)(const std::string& url);
WebPageOpener set_web_page_opener(WebPageOpener opener);

// The vendor's converter search for a pair of extensions ("pcd", "tiff");
// an empty extension stands for any format.
std::string converter_search_url(std::string_view from, std::string_view to);

// A line for the debug output (with -d), for developers.
void debug_note(const std::string& text);

}  // namespace pixmera::ui

namespace pixmera::ui {

// "-T FOLDER": pictures of every window with sample entries; 0 when every
// picture was saved.
int take_screenshots(const std::string& folder);

// "Convert Progress": shown while the conversion worker runs over `total`
// files; polls the progress record and closes when the worker has ended.
// Stop asks first, then asks the worker to stop after the current file.
void show_conversion_progress(wxWindow* parent, int total);

}  // namespace pixmera::ui
