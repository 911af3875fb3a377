#include "ui/main_window.h"

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <array>
#include <mutex>
#include <span>

#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "pipeline/window_job.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "settings/catalogue.h"
#include "settings/product.h"
#include "settings/recent_folders.h"
#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/input_field.h"
#include "ui/toolkit.h"
#include "ui/update_check.h"
#include "util/text.h"

namespace pixmera::ui {

namespace {

constexpr int kItemIdBase = wxID_HIGHEST + 1000;
constexpr int kLastItem = 24;

// One element of the layout: its name, position and size at 100 % text
// scale, in client coordinates under the menu bar.
struct Placement {
  std::string_view name;
  int x;
  int y;
  int width;
  int height;
};

constexpr Placement kInputLabel{"input label", 10, 5, 350, 20};
constexpr Placement kInputField{"input field", 10, 20, 350, 20};
constexpr Placement kInputButton{"input button", 364, 19, 24, 24};
constexpr Placement kOutputLabel{"output label", 10, 45, 350, 20};
constexpr Placement kOutputFolderBox{"output folder box", 10, 60, 350, 21};
constexpr Placement kOutputFolderButton{"output folder button", 364, 59, 24, 24};
constexpr Placement kFormatLabel{"format label", 10, 85, 350, 20};
constexpr Placement kOutputFormatList{"output format list", 10, 100, 350, 21};
// Beside its list like the other tool buttons: at 396 it would lie under the
// Convert button.
constexpr Placement kFormatButton{"format button", 364, 99, 24, 24};
constexpr Placement kConvertButton{"convert button", 400, 20, 100, 100};
// The notice line sits this far above the bottom of the client area, the
// status bar included.
constexpr Placement kNotice{"notice", 10, 70, 350, 20};

constexpr int kMinimumWidth = 510;
constexpr int kFixedHeight = 260;

// One entry of a menu: its text key of group "Menu", item number, shortcut
// and icon. An item of -1 is a separator.
struct MenuEntry {
  std::string_view key;
  int item;
  std::string_view shortcut;
  std::string_view icon;
};

constexpr MenuEntry kSeparator{{}, -1, {}, {}};

constexpr std::array kFileMenu = {
    MenuEntry{"New", kNewItem, "Ctrl+N", "New"},
    kSeparator,
    MenuEntry{"Select Input File", kSelectInputFileItem, {}, "Add"},
    MenuEntry{"Select Output Folder", kSelectOutputFolderItem, {}, "OutFolder"},
    kSeparator,
    MenuEntry{"Exit", kExitItem, "Alt+X", "Exit"},
};
constexpr std::array kConverterMenu = {
    MenuEntry{"Convert", kConvertItem, "F5", "Convert"},
    kSeparator,
    MenuEntry{"Custom Converter", kCustomConverterItem, {}, "CustomConverter"},
    kSeparator,
    MenuEntry{"Preferences", kPreferencesItem, {}, "Preferences"},
};
constexpr std::array kHelpMenu = {
    MenuEntry{"Manual", kManualItem, "F1", "Help"},
    kSeparator,
    MenuEntry{"Send Feedback", kSendFeedbackItem, {}, "Email"},
    MenuEntry{"Visit Homepage", kVisitHomepageItem, {}, "Web"},
    MenuEntry{"Check For New Version", kCheckForNewVersionItem, {}, "Updates"},
    kSeparator,
    MenuEntry{"About", kAboutItem, {}, "About"},
};
constexpr std::array kInputListMenu = {
    MenuEntry{"Copy", kCopyItem, "Ctrl+C", "Copy"},
    MenuEntry{"Delete", kDeleteItem, "Ctrl+Del", "Delete"},
    kSeparator,
    MenuEntry{"Select All", kSelectAllItem, "Ctrl+A", "SelectAll"},
};

struct MenuSpec {
  std::string_view title_key;
  std::span<const MenuEntry> entries;
};

constexpr std::array kMenuBar = {
    MenuSpec{"File", kFileMenu},
    MenuSpec{"Converter", kConverterMenu},
    MenuSpec{"Help", kHelpMenu},
};

wxString text_of(std::string_view group, std::string_view key) {
  return wxString::FromUTF8(catalogue_text(group, key));
}

wxPoint position_of(const Placement& p) { return {scaled(p.x), scaled(p.y)}; }
wxSize size_of(const Placement& p) { return {scaled(p.width), scaled(p.height)}; }

std::unique_ptr<wxMenu> build_menu(std::span<const MenuEntry> entries, const Theme* theme) {
  auto menu = std::make_unique<wxMenu>();
  for (const MenuEntry& entry : entries) {
    if (entry.item < 0) {
      menu->AppendSeparator();
      continue;
    }
    wxString label = text_of("Menu", entry.key);
    if (!entry.shortcut.empty()) label += "\t" + wxString::FromUTF8(std::string(entry.shortcut));
    auto* item = new wxMenuItem(menu.get(), item_id(entry.item), label);
    if (theme != nullptr) {
      const wxBitmap icon = theme->menu_icons.icon(entry.icon);
      if (icon.IsOk()) set_menu_icon(item, icon);
    }
    menu->Append(item);
  }
  return menu;
}

// Files dropped on the window: only the first of them is taken.
class DropTarget : public wxFileDropTarget {
 public:
  explicit DropTarget(MainWindow* window) : window_(window) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
    if (names.empty()) return false;
    window_->add_to_input_list(names[0].utf8_string());
    return true;
  }

 private:
  MainWindow* window_;
};

// The window's rectangle when some display shows it, else the same size
// centred on the first display.
wxRect visible_rect(wxRect rect) {
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    if (wxDisplay(i).GetGeometry().Intersects(rect)) return rect;
  }
  if (wxDisplay::GetCount() > 0) rect = rect.CentreIn(wxDisplay(0u).GetGeometry());
  return rect;
}

// The files of the last run that failed, each with its folder and its
// reason, for the end report; at most kShownFailures of them. A disc holds
// the same names in many folders, so the name alone would not say which.
std::string failure_lines() {
  constexpr size_t kShownFailures = 10;
  std::vector<FileFailure> failures;
  {
    std::lock_guard lock(g_progress.mutex);
    failures = g_progress.failures;
  }
  if (failures.empty()) return {};
  std::string lines = "\n\n" + catalogue_text("Msg", "Files not converted");
  for (size_t i = 0; i < failures.size() && i < kShownFailures; ++i) {
    lines += "\n" + failures[i].path + ": " + failures[i].reason;
  }
  if (failures.size() > kShownFailures) {
    lines += "\n" + format_placeholders(catalogue_text("Msg", "More files not converted"),
                                        std::to_string(failures.size() - kShownFailures));
  }
  return lines;
}

}  // namespace

int item_id(int item) { return kItemIdBase + item; }

std::string case_insensitive_filter(std::string_view filter) {
  const std::vector<std::string> fields = split(filter, '|');
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += '|';
    if (i % 2 == 0) {
      out += fields[i];
      continue;
    }
    for (const char c : fields[i]) {
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (lower != upper) {
        out += '[';
        out += lower;
        out += upper;
        out += ']';
      } else {
        out += c;
      }
    }
  }
  return out;
}

const MainWindow::Command MainWindow::kCommands[] = {
    {kNewItem, &MainWindow::new_list},
    {kExitItem, &MainWindow::quit},
    {kChooseInputItem, &MainWindow::choose_input},
    {kSelectInputFileItem, &MainWindow::select_input_files},
    {kSelectOutputFolderItem, &MainWindow::select_output_folder},
    {kOutputFormatOptionsItem, &MainWindow::output_format_options},
    {kCopyItem, &MainWindow::copy_list},
    {kDeleteItem, &MainWindow::delete_selected},
    {kSelectAllItem, &MainWindow::select_all},
    {kConvertItem, &MainWindow::convert},
    {kCustomConverterItem, &MainWindow::custom_converter},
    {kPreferencesItem, &MainWindow::preferences},
    {kManualItem, &MainWindow::manual},
    {kNothingItem, &MainWindow::nothing},
    {kSendFeedbackItem, &MainWindow::send_feedback},
    {kVisitHomepageItem, &MainWindow::visit_homepage},
    {kCheckForNewVersionItem, &MainWindow::check_updates},
    {kAboutItem, &MainWindow::about},
};

MainWindow::MainWindow(std::unique_ptr<Theme> theme, const std::vector<std::string>& bare_words)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(title_text())), theme_(std::move(theme)) {
  SetName("main window");
  g_current_file.given_input_path.clear();
  build_menus();
  CreateStatusBar(1);
  build_controls();

  const wxSize minimum(scaled(kMinimumWidth), scaled(kFixedHeight));
  SetSizeHints(minimum, wxSize(-1, minimum.y));
  const wxRect wanted = visible_rect(
      wxRect(g_settings.x, g_settings.y, std::max(g_settings.width, minimum.x), minimum.y));
  SetSize(wanted);
  keep_position_when_mapped(this, wanted.x, wanted.y);
  if (g_settings.is_maximized != 0) Maximize(true);

  wxAcceleratorEntry keys[] = {{wxACCEL_NORMAL, WXK_F10, item_id(kNothingItem)}};
  SetAcceleratorTable(wxAcceleratorTable(1, keys));
  Bind(
      wxEVT_MENU, [this](wxCommandEvent& event) { run_command(event.GetId() - kItemIdBase); },
      item_id(0), item_id(kLastItem));
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    // A run ends with its progress dialog, never under it.
    if (converting_ && event.CanVeto()) {
      event.Veto();
      return;
    }
    record_window_geometry(g_settings, state());
    Destroy();
  });

  SetDropTarget(new DropTarget(this));
  panel_->SetDropTarget(new DropTarget(this));
  if (wxTextCtrl* text = input_field_->GetTextCtrl()) text->SetDropTarget(new DropTarget(this));

  // Files a file manager handed over ("pixmera IMG0001.PCD") are ready for F5.
  for (const std::string& word : bare_words) {
    if (file_size(word) == kFileMissing) continue;
    if (input_field_->GetValue().empty()) input_field_->SetValue(wxString::FromUTF8(word));
    add_input_path(word);
  }
  show_input_list();
  set_status("General", "Ready");
  // For the start-up benchmark and developers: when the window first paints.
  panel_->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
    if (!painted_) debug_note("Window painted");
    painted_ = true;
    event.Skip();
  });
  start_automatic_update_check(this);
}

void MainWindow::build_menus() {
  auto* bar = new wxMenuBar;
  for (const MenuSpec& spec : kMenuBar) {
    bar->Append(build_menu(spec.entries, theme_.get()).release(), text_of("Menu", spec.title_key));
  }
  SetMenuBar(bar);
}

wxWindow* MainWindow::tool_button(std::string_view name, std::string_view icon,
                                  std::string_view tooltip_key, int x, int y, int item) {
  const wxPoint position(scaled(x), scaled(y));
  const wxSize size(scaled(24), scaled(24));
  const wxBitmap bitmap = theme_ != nullptr ? theme_->tool_icons.icon(icon) : wxBitmap();
  wxButton* button = nullptr;
  if (bitmap.IsOk()) {
    button = new wxBitmapButton(panel_, wxID_ANY, bitmap, position, size, wxBORDER_NONE);
  } else {
    button = new wxButton(panel_, wxID_ANY, "...", position, size, wxBU_EXACTFIT);
  }
  button->SetName(std::string(name));
  button->SetToolTip(text_of("Menu", tooltip_key));
  button->Bind(wxEVT_BUTTON, [this, item](wxCommandEvent&) { run_command(item); });
  return button;
}

void MainWindow::build_controls() {
  panel_ = new wxPanel(this, wxID_ANY);
  panel_->SetName("pixmera-main");

  auto label = [this](const Placement& p, std::string_view key) {
    auto* text = new wxStaticText(panel_, wxID_ANY, text_of("General", key), position_of(p),
                                  size_of(p), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    text->SetName(std::string(p.name));
    align_label_top(text);
    return text;
  };
  label(kInputLabel, "Input File");
  input_field_ = new InputField(panel_, position_of(kInputField), size_of(kInputField));
  input_field_->SetName(std::string(kInputField.name));
  input_field_->on_empty_drop_down = [this] { run_command(kChooseInputItem); };
  input_field_->list()->on_command = [this](int item) { run_command(item); };
  input_field_->list()->on_context_menu = [this] {
    std::unique_ptr<wxMenu> menu = build_menu(kInputListMenu, theme_.get());
    menu->Bind(wxEVT_MENU,
               [this](wxCommandEvent& event) { run_command(event.GetId() - kItemIdBase); });
    input_field_->list()->PopupMenu(menu.get());
  };
  tool_button(kInputButton.name, "Add", "Select Input File", kInputButton.x, kInputButton.y,
              kSelectInputFileItem);

  label(kOutputLabel, "Output Folder");
  wxArrayString folders;
  for (const std::string& folder : recent_out_folders(g_settings)) {
    folders.Add(wxString::FromUTF8(folder));
  }
  output_folder_box_ =
      new wxComboBox(panel_, wxID_ANY, folders.empty() ? wxString() : folders[0],
                     position_of(kOutputFolderBox), size_of(kOutputFolderBox), folders);
  output_folder_box_->SetName(std::string(kOutputFolderBox.name));
  tool_button(kOutputFolderButton.name, "OutFolder", "Select Output Folder", kOutputFolderButton.x,
              kOutputFolderButton.y, kSelectOutputFolderItem);

  label(kFormatLabel, "Output Format");
  output_format_list_ =
      new wxChoice(panel_, wxID_ANY, position_of(kOutputFormatList), size_of(kOutputFormatList));
  output_format_list_->SetName(std::string(kOutputFormatList.name));
  // Only the conversions this product accepts are offered.
  for (const std::string& extension : accepted_conversion_list()) {
    const OutputFormat* format = find_output_format(extension);
    const std::string description = format != nullptr ? format->description : extension;
    output_format_list_->Append(wxString::FromUTF8(to_upper(extension) + " - " + description));
    if (extension == g_settings.output_format) {
      output_format_list_->SetSelection(output_format_list_->GetCount() - 1);
    }
  }
  if (output_format_list_->GetSelection() == wxNOT_FOUND) output_format_list_->SetSelection(0);
  output_format_list_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    const int row = output_format_list_->GetSelection();
    if (row >= 0) g_settings.output_format = accepted_conversion_list()[static_cast<size_t>(row)];
  });
  tool_button(kFormatButton.name, "OutFormat", "Output Format Options", kFormatButton.x,
              kFormatButton.y, kOutputFormatOptionsItem);

  const wxBitmap picture = theme_ != nullptr ? theme_->button("Convert", scaled(88)) : wxBitmap();
  wxButton* convert_button = nullptr;
  if (picture.IsOk()) {
    convert_button = new wxBitmapButton(panel_, wxID_ANY, picture, position_of(kConvertButton),
                                        size_of(kConvertButton));
  } else {
    convert_button = new wxButton(panel_, wxID_ANY, text_of("Menu", "Convert"),
                                  position_of(kConvertButton), size_of(kConvertButton));
  }
  convert_button->SetName(std::string(kConvertButton.name));
  convert_button->SetToolTip(text_of("Menu", "Convert"));
  convert_button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { run_command(kConvertItem); });

  notice_ = new wxStaticText(panel_, wxID_ANY, text_of("General", "Notice"), wxDefaultPosition,
                             size_of(kNotice), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  notice_->SetName(std::string(kNotice.name));
  align_label_top(notice_);
  panel_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    place_bottom_notice();
    event.Skip();
  });
  use_compact_style(panel_);
}

void MainWindow::place_bottom_notice() {
  // The status bar's own height, not its size of the moment: while the frame
  // is laid out it is briefly 1 pixel high.
  const int status_height = GetStatusBar() != nullptr ? GetStatusBar()->GetBestSize().y : 0;
  const int bottom = panel_->GetClientSize().y + status_height;
  notice_->Move(scaled(kNotice.x), bottom - scaled(kNotice.y));
}

void MainWindow::run_command(int item) {
  for (const Command& command : kCommands) {
    if (command.item == item) {
      (this->*command.handler)();
      return;
    }
  }
}

WindowState MainWindow::state() const {
  const wxRect rect = GetRect();
  return {IsMaximized(), IsIconized(), rect.x, rect.y, rect.width, rect.height};
}

std::string MainWindow::status_text() const {
  return GetStatusBar() != nullptr ? GetStatusBar()->GetStatusText().utf8_string() : std::string();
}

void MainWindow::set_status(std::string_view group, std::string_view key) {
  SetStatusText(text_of(group, key));
}

void MainWindow::refuse(std::string_view message_key, const std::string& detail) {
  set_status("Msg", "Conversion is not complete");
  show_message(this, "Warning", format_placeholders(catalogue_text("Msg", message_key), detail),
               wxOK | wxICON_WARNING);
}

void MainWindow::add_to_input_list(const std::string& path) {
  if (trim_blanks(path).empty()) return;
  add_input_path(path);
  if (input_field_->GetValue().empty()) input_field_->SetValue(wxString::FromUTF8(path));
  show_input_list();
}

void MainWindow::show_input_list() {
  std::vector<std::string> paths;
  for (const InputEntry& entry : input_collection()) paths.push_back(entry.path);
  input_field_->list()->show_entries(paths);
}

void MainWindow::set_output_folder(const std::string& folder) {
  output_folder_box_->SetValue(wxString::FromUTF8(folder));
}

void MainWindow::new_list() {
  clear_input_collection();
  expanded_input_.clear();
  reset_input_list_state(g_input_list_state);
  input_field_->SetValue(wxString());
  output_folder_box_->SetValue(wxString());
  show_input_list();
}

void MainWindow::quit() { Close(); }

void MainWindow::choose_input() {
  switch (show_input_chooser(this, theme_.get())) {
    case InputChoice::Files:
      select_input_files();
      break;
    case InputChoice::Folder:
      select_input_folder();
      break;
    case InputChoice::None:
      break;
  }
}

void MainWindow::select_input_files() {
  wxFileDialog dialog(this, text_of("Dialog", "Select Input Files"), wxString(), wxString(),
                      wxString::FromUTF8(case_insensitive_filter(open_file_filter())),
                      wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return;
  wxArrayString paths;
  dialog.GetPaths(paths);
  for (const wxString& path : paths) add_to_input_list(path.utf8_string());
}

void MainWindow::select_input_folder() {
  wxDirDialog dialog(this, text_of("Dialog", "Select Input Folder"));
  if (dialog.ShowModal() != wxID_OK) return;
  const std::string folder = with_trailing_separator(dialog.GetPath().utf8_string());
  input_field_->SetValue(wxString::FromUTF8(folder));
  add_to_input_list(folder);
}

void MainWindow::select_output_folder() {
  wxDirDialog dialog(this, text_of("Dialog", "Select Output Folder"),
                     output_folder_box_->GetValue());
  if (dialog.ShowModal() != wxID_OK) return;
  output_folder_box_->SetValue(
      wxString::FromUTF8(with_trailing_separator(dialog.GetPath().utf8_string())));
}

void MainWindow::output_format_options() { open_preferences(PreferencesPage::Output); }

void MainWindow::open_preferences(PreferencesPage page) {
  const std::string before = g_settings.recent_out_folders;
  if (!show_preferences(this, page) || g_settings.recent_out_folders == before) return;
  // An output folder chosen in the dialog is the one the next run writes to.
  const std::vector<std::string> folders = recent_out_folders(g_settings);
  if (!folders.empty()) show_recent_folders(folders.front());
}

void MainWindow::show_recent_folders(const std::string& value) {
  output_folder_box_->Set(wxArrayString());
  for (const std::string& folder : recent_out_folders(g_settings)) {
    output_folder_box_->Append(wxString::FromUTF8(folder));
  }
  output_folder_box_->SetValue(wxString::FromUTF8(value));
}

void MainWindow::copy_list() {
  std::string text;
  for (const InputEntry& entry : input_collection()) text += entry.path + "\n";
  if (text.empty() || !wxTheClipboard->Open()) return;
  wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(text)));
  wxTheClipboard->Flush();
  wxTheClipboard->Close();
}

void MainWindow::delete_selected() {
  for (const std::string& path : input_field_->list()->selected_paths()) remove_input_file(path);
  show_input_list();
}

void MainWindow::select_all() { input_field_->list()->select_all(); }

void MainWindow::convert() {
  // The field's text is expanded once: entries the user then deleted from
  // the list do not come back with the next run.
  const std::string typed = input_field_->GetValue().utf8_string();
  if (typed != expanded_input_) add_to_input_list(typed);
  expanded_input_ = typed;
  std::string output_folder = output_folder_box_->GetValue().utf8_string();
  set_status("General", "Preparing");
  const WindowCheck check = check_window_conversion(output_folder);
  if (!check.passed) {
    refuse(check.message_key, check.detail);
    return;
  }
  remember_out_folder(g_settings, output_folder);
  show_recent_folders(output_folder);

  set_status("General", "Converting");
  const int total = static_cast<int>(input_collection().size());
  const int row = std::max(0, output_format_list_->GetSelection());
  converting_ = true;
  start_window_conversion(output_folder, accepted_conversion_list()[static_cast<size_t>(row)]);
  show_conversion_progress(this, total);
  const WindowRunResult run = finish_window_conversion();
  converting_ = false;

  std::string report;
  if (run.stopped || run.converted == 0) {
    report = catalogue_text("Msg", "Conversion is not complete");
  } else {
    report = catalogue_text("Msg", "Conversion complete");
  }
  report += "\n" + format_placeholders(catalogue_text("Msg", "Files converted"),
                                       std::to_string(run.converted), std::to_string(run.total));
  report += failure_lines();
  const bool all_done = !run.stopped && run.converted == run.total;
  show_message(this, all_done ? "Information" : "Warning", report,
               wxOK | (all_done ? wxICON_INFORMATION : wxICON_WARNING));
  set_status("General", "Ready");
}

void MainWindow::custom_converter() { show_custom_converter(this); }
void MainWindow::preferences() { open_preferences(PreferencesPage::LastShown); }
void MainWindow::manual() { open_manual(this); }
void MainWindow::nothing() {}

void MainWindow::send_feedback() {
  wxLaunchDefaultBrowser(wxString::FromUTF8(std::string("mailto:") + kSupportMail +
                                            "?subject=" + url_encoded(title_text() + " Feedback")));
}

void MainWindow::visit_homepage() { wxLaunchDefaultBrowser(wxString::FromUTF8(kWebAddress)); }
void MainWindow::check_updates() { check_for_new_version(this); }
void MainWindow::about() { show_about(this); }

int run_main_window(const std::vector<std::string>& bare_words) {
  // The window's lists come from the format tables; started without
  // parameters, nothing has built them yet.
  build_input_format_table();
  build_output_format_table();
  std::vector<std::string> notes;
  std::unique_ptr<Theme> theme =
      load_theme(g_settings.ui_theme, scaled(16),
                 scaled(std::min(icon_size_for(g_settings.ui_size), 20)), notes);
  for (const std::string& note : notes) debug_note(note);
  debug_note(theme != nullptr ? "Theme: " + theme->name : "Theme: none, the buttons show text");
  auto* window = new MainWindow(std::move(theme), bare_words);
  window->Show();
  wxTheApp->SetTopWindow(window);
  return wxTheApp->OnRun();
}

}  // namespace pixmera::ui
