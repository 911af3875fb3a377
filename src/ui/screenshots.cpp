// The screenshot mode ("-T FOLDER"): the windows filled with sample entries
// and saved as PNG pictures of what the screen shows, named so their order
// shows. Every modal window is caught as it opens, pictured once it has
// painted, and closed again without taking anything from it.
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/input_field.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

namespace pixmera::ui {

namespace {

// The sample PhotoCD's pictures folder, as the system writes it.
std::string sample_disc() {
  return disc_folder_text() + "PHOTO_CD" + kPathSeparator + "IMAGES" + kPathSeparator;
}
constexpr int kSampleFiles = 5;

// Lets the toolkit run until `done`, at most a few seconds.
bool settle_until(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A few more turns of the loop and a round trip to the display, so what was
// drawn is on the screen.
void let_paint() {
  for (int i = 0; i < 5; ++i) {
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  sync_display();
}

class Pictures {
 public:
  explicit Pictures(std::string folder) : folder_(std::move(folder)) {}

  bool save(std::string_view name, const wxRect& area) {
    const std::string path = folder_ + next_name(name);
    const bool saved = save_screen_area(area, path);
    if (!saved) debug_note("Screenshot: " + path + " could not be saved");
    failures_ += saved ? 0 : 1;
    return saved;
  }
  void missed(std::string_view name) {
    debug_note("Screenshot: " + std::string(name) + " did not appear");
    ++failures_;
    ++number_;
  }
  int failures() const { return failures_; }

 private:
  std::string next_name(std::string_view name) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++number_);
    return prefix + std::string(name) + ".png";
  }

  std::string folder_;
  int number_ = 0;
  int failures_ = 0;
};

// Catches the next modal dialog, pictures it once it has painted and ends
// it as if Cancel had been pressed.
class DialogCatcher : public wxModalDialogHook {
 public:
  DialogCatcher(Pictures& pictures, std::string name)
      : pictures_(pictures), name_(std::move(name)) {
    Register();
  }
  ~DialogCatcher() override {
    Unregister();
    if (!caught_) pictures_.missed(name_);
  }

 protected:
  int Enter(wxDialog* dialog) override {
    if (caught_) return wxID_NONE;
    caught_ = true;
    timer_.Bind(wxEVT_TIMER, [this, dialog](wxTimerEvent&) {
      if (!dialog->IsShownOnScreen() || ++ticks_ < 3) return;
      timer_.Stop();
      let_paint();
      pictures_.save(name_, screen_rect_of(dialog));
      dialog->EndModal(wxID_CANCEL);
    });
    timer_.Start(50);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {}

 private:
  Pictures& pictures_;
  std::string name_;
  wxTimer timer_;
  bool caught_ = false;
  int ticks_ = 0;
};

wxRect joined(const wxRect& a, const wxRect& b) { return b.IsEmpty() ? a : a.Union(b); }

// A menu of the menu bar, opened by a click on its title as a user would.
// The picture is taken from a timer inside a loop of its own: on Windows an
// open menu runs the system's modal menu loop until it is closed, and only
// timers reach the program then.
void picture_menu(MainWindow* window, Pictures& pictures, size_t index, std::string_view name) {
  wxMenu* menu = window->GetMenuBar()->GetMenu(index);
  wxGUIEventLoop loop;
  wxTimer shot;
  bool taken = false;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  shot.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!taken && !open_menu_rect().IsEmpty()) {
      taken = true;
      let_paint();
      pictures.save(name, joined(screen_rect_of(window), open_menu_rect()));
      close_open_menus();
      return;
    }
    if ((taken && open_menu_rect().IsEmpty()) || std::chrono::steady_clock::now() > give_up) {
      shot.Stop();
      loop.Exit();
    }
  });
  wxUIActionSimulator mouse;
  mouse.MouseMove(menu_title_centre(menu));
  mouse.MouseClick();
  shot.Start(20);
  loop.Run();
  if (!taken) {
    close_open_menus();
    pictures.missed(name);
  }
}

// The input list's pop-up menu over the open drop-down.
void picture_input_list_menu(MainWindow* window, Pictures& pictures) {
  InputField* field = window->input_field();
  field->ShowPopup();
  settle_until([field] { return field->IsPopupShown(); });
  InputListPopup* list = field->list();
  list->Select(1);
  list->Select(2);
  // The menu opens where a right click on the selection would open it.
  wxRect row;
  if (list->GetItemRect(2, row)) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(
        list->ClientToScreen(row.GetPosition() + wxPoint(row.width / 3, row.height / 2)));
    settle_until([] { return true; });
  }
  wxTimer shot;
  bool saved = false;
  shot.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (open_menu_rect().IsEmpty()) return;
    shot.Stop();
    let_paint();
    saved = pictures.save("input-list-menu",
                          joined(joined(screen_rect_of(window), screen_rect_of(list->GetParent())),
                                 open_menu_rect()));
    close_open_menus();
  });
  shot.Start(50);
  if (list->on_context_menu) list->on_context_menu();
  shot.Stop();
  if (!saved) pictures.missed("input-list-menu");
  field->Dismiss();
}

// The progress dialog as a run shows it after two of five files. No worker
// runs: the dialog reads the sample values from the progress record.
void picture_progress(MainWindow* window, Pictures& pictures) {
  {
    std::lock_guard lock(g_progress.mutex);
    g_progress.processed = 3;
    g_progress.converted = 2;
    g_progress.current_file = sample_disc() + "IMG0003.PCD";
  }
  DialogCatcher catcher(pictures, "progress");
  show_conversion_progress(window, kSampleFiles);
}

constexpr std::array<std::pair<PreferencesPage, std::string_view>, 9> kPages = {{
    {PreferencesPage::General, "preferences-general"},
    {PreferencesPage::Interface, "preferences-interface"},
    {PreferencesPage::Input, "preferences-input"},
    {PreferencesPage::Output, "preferences-output"},
    {PreferencesPage::Transform, "preferences-transform"},
    {PreferencesPage::Adjustment, "preferences-adjustment"},
    {PreferencesPage::Frame, "preferences-frame"},
    {PreferencesPage::Watermark, "preferences-watermark"},
    {PreferencesPage::Advanced, "preferences-advanced"},
}};

}  // namespace

int take_screenshots(const std::string& folder_text) {
  if (folder_text.empty() || !make_folders(folder_text)) {
    debug_note("Screenshot: no folder to save the pictures in");
    return 1;
  }
  const std::string folder = folder_text.ends_with('/') ? folder_text : folder_text + "/";
  build_input_format_table();
  build_output_format_table();
  clear_input_collection();

  std::vector<std::string> notes;
  auto* window =
      new MainWindow(load_theme(g_settings.ui_theme, scaled(16),
                                scaled(std::min(icon_size_for(g_settings.ui_size), 20)), notes),
                     {});
  for (int i = 1; i <= kSampleFiles; ++i) {
    window->add_to_input_list(sample_disc() + "IMG000" + std::to_string(i) + ".PCD");
  }
  window->set_output_folder(pictures_folder_text() + "PhotoCD" + kPathSeparator);
  window->Show();
  Pictures pictures(folder);
  if (settle_until([window] { return window->IsShownOnScreen(); })) {
    let_paint();
    pictures.save("main", screen_rect_of(window));
  } else {
    pictures.missed("main");
  }
  picture_menu(window, pictures, 0, "menu-file");
  picture_menu(window, pictures, 1, "menu-converter");
  picture_menu(window, pictures, 2, "menu-help");
  picture_input_list_menu(window, pictures);
  picture_progress(window, pictures);
  {
    DialogCatcher catcher(pictures, "input-chooser");
    show_input_chooser(window, window->theme());
  }
  for (const auto& [page, name] : kPages) {
    DialogCatcher catcher(pictures, std::string(name));
    show_preferences(window, page);
  }
  {
    DialogCatcher catcher(pictures, "custom-converter");
    show_custom_converter(window);
  }
  {
    DialogCatcher catcher(pictures, "about");
    show_about(window);
  }
  window->Destroy();
  settle_until([] { return wxTopLevelWindows.empty(); });
  clear_input_collection();
  return pictures.failures() == 0 ? 0 : 1;
}

}  // namespace pixmera::ui
