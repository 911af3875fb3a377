// The main window: input field, output folder, output format and the big
// Convert button, laid out to the pixel; its menus, shortcuts and the
// commands they send; dropped files; the windowed conversion.
#pragma once

#include <wx/frame.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_face.h"
#include "ui/dialogs.h"
#include "ui/theme.h"

class wxChoice;
class wxPanel;
class wxComboBox;
class wxStaticText;

namespace pixmera::ui {

class InputField;

// The item numbers of the menus, shortcuts and buttons.
enum Item : int {
  kNewItem = 0,
  kExitItem = 3,
  kChooseInputItem = 4,
  kSelectInputFileItem = 5,
  kSelectOutputFolderItem = 7,
  kOutputFormatOptionsItem = 8,
  kCopyItem = 11,
  kDeleteItem = 12,
  kSelectAllItem = 13,
  kConvertItem = 14,
  kCustomConverterItem = 16,
  kPreferencesItem = 17,
  kManualItem = 18,
  kNothingItem = 20,
  kSendFeedbackItem = 21,
  kVisitHomepageItem = 22,
  kCheckForNewVersionItem = 23,
  kAboutItem = 24,
};

// The wxWidgets identifier of an item.
int item_id(int item);

// The file dialog's filter with every "*.ext" pattern spelt for any letter
// case ("*.[pP][cC][dD]"): GTK matches patterns case-sensitively, and discs
// name their files IMG0001.PCD. Descriptions stay as they are.
std::string case_insensitive_filter(std::string_view filter);

class MainWindow : public wxFrame {
 public:
  // `theme` may be null: the buttons then show text.
  MainWindow(std::unique_ptr<Theme> theme, const std::vector<std::string>& bare_words);

  // What the item does, whether a menu, a shortcut, a button or the pop-up
  // menu of the input list sent it. Unknown items do nothing.
  void run_command(int item);

  // How the window was left, for the configuration file.
  WindowState state() const;
  const Theme* theme() const { return theme_.get(); }
  InputField* input_field() const { return input_field_; }
  // The status bar's text.
  std::string status_text() const;

  // Adds what a path names (a file, or every file below a folder) to the
  // input list and shows the list.
  void add_to_input_list(const std::string& path);
  void show_input_list();
  void set_output_folder(const std::string& folder);

 private:
  struct Command {
    int item;
    void (MainWindow::*handler)();
  };
  static const Command kCommands[];

  void build_menus();
  void build_controls();
  void place_bottom_notice();
  void set_status(std::string_view group, std::string_view key);
  // The preferences dialog at `page`; the output folder box follows a
  // folder chosen there.
  void open_preferences(PreferencesPage page);
  // The recent output folders in the box, `value` in its field.
  void show_recent_folders(const std::string& value);
  void refuse(std::string_view message_key, const std::string& detail);
  wxWindow* tool_button(std::string_view name, std::string_view icon, std::string_view tooltip_key,
                        int x, int y, int item);

  void new_list();
  void quit();
  void choose_input();
  void select_input_files();
  void select_input_folder();
  void select_output_folder();
  void output_format_options();
  void copy_list();
  void delete_selected();
  void select_all();
  void convert();
  void custom_converter();
  void preferences();
  void manual();
  void nothing();
  void send_feedback();
  void visit_homepage();
  void check_updates();
  void about();

  std::unique_ptr<Theme> theme_;
  wxPanel* panel_ = nullptr;
  InputField* input_field_ = nullptr;
  wxComboBox* output_folder_box_ = nullptr;
  wxChoice* output_format_list_ = nullptr;
  wxStaticText* notice_ = nullptr;
  bool converting_ = false;
  bool painted_ = false;
  std::string expanded_input_;  // the input field's text last added to the list
};

// Runs the main window until it closes; its geometry is then in the
// Settings record. Returns the exit status.
int run_main_window(const std::vector<std::string>& bare_words);

}  // namespace pixmera::ui
