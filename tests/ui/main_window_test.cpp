// The main window as a user meets it: its layout, menus, input list, drops
// and themes, and conversions run through it.
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include "imaging/image.h"
#include "pipeline/progress.h"
#include "platform/files.h"
#include "settings/catalogue.h"
#include "settings/recent_folders.h"
#include "support/pictures.h"
#include "window_fixture.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;
using ui::item_id;

const std::string kSixteenBase = PIXMERA_TEST_DATA "/pcd/kodak_16base.pcd";

std::string menu_label(wxMenuBar* bar, int item) {
  wxMenuItem* found = bar->FindItem(item_id(item));
  return found != nullptr ? found->GetItemLabel().utf8_string() : std::string("<none>");
}

// The entries of a menu: labels, with "-" for a separator.
std::vector<std::string> menu_entries(wxMenu* menu) {
  std::vector<std::string> entries;
  for (const wxMenuItem* item : menu->GetMenuItems()) {
    entries.push_back(item->IsSeparator() ? "-" : item->GetItemLabel().utf8_string());
  }
  return entries;
}

TEST_F(WindowTest, OpensWithEveryElementWhereTheLayoutPutsIt) {
  open_window();
  EXPECT_EQ(window_->GetTitle(), "Varnelo PCD to TIFF 3.1");
  EXPECT_EQ(window_->GetSize().x, 560);
  EXPECT_EQ(window_->GetMinSize(), wxSize(510, 260));
  EXPECT_EQ(window_->GetMaxSize().y, 260);
  EXPECT_EQ(window_->status_text(), "Ready");

  struct Expected {
    const char* name;
    wxRect rect;
    const char* text;
  };
  const Expected layout[] = {
      {"input label", {10, 5, 350, 20}, "Input File:"},
      {"input field", {10, 20, 350, 20}, nullptr},
      {"input button", {364, 19, 24, 24}, nullptr},
      {"output label", {10, 45, 350, 20}, "Output Folder:"},
      {"output folder box", {10, 60, 350, 21}, nullptr},
      {"output folder button", {364, 59, 24, 24}, nullptr},
      {"format label", {10, 85, 350, 20}, "Output Format:"},
      {"output format list", {10, 100, 350, 21}, nullptr},
      {"format button", {364, 99, 24, 24}, nullptr},
      {"convert button", {400, 20, 100, 100}, nullptr},
  };
  for (const Expected& expected : layout) {
    wxWindow* control = element(expected.name);
    ASSERT_NE(control, nullptr) << expected.name;
    EXPECT_EQ(control->GetRect(), expected.rect) << expected.name;
    if (expected.text != nullptr) {
      EXPECT_EQ(control->GetLabel(), expected.text);
    }
  }
  EXPECT_EQ(element("input button")->GetToolTipText(), "Add Input File...");
  EXPECT_EQ(element("format button")->GetToolTipText(), "Options...");
  // The notice line stands 70 pixels above the bottom of the client area.
  wxWindow* notice = element("notice");
  const int bottom = notice->GetParent()->GetClientSize().y + window_->GetStatusBar()->GetSize().y;
  EXPECT_EQ(notice->GetRect(), wxRect(10, bottom - 70, 350, 20));
  EXPECT_LT(notice->GetRect().GetBottom(), notice->GetParent()->GetClientSize().y);

  wxMenuBar* bar = window_->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabelText(0), "File");
  EXPECT_EQ(menu_entries(bar->GetMenu(0)),
            (std::vector<std::string>{"New\tCtrl+N", "-", "Add Input File...",
                                      "Select Output Folder...", "-", "Exit\tAlt+X"}));
  EXPECT_EQ(
      menu_entries(bar->GetMenu(1)),
      (std::vector<std::string>{"Convert\tF5", "-", "Custom Converter...", "-", "Preferences..."}));
  EXPECT_EQ(menu_entries(bar->GetMenu(2)),
            (std::vector<std::string>{"Manual\tF1", "-", "Send Feedback...", "Visit Homepage",
                                      "Check for New Version", "-", "About..."}));
  EXPECT_EQ(menu_label(bar, ui::kSelectInputFileItem), "Add Input File...");
  EXPECT_EQ(menu_label(bar, ui::kAboutItem), "About...");
}

TEST_F(WindowTest, FilesNamedAtStartAreReadyInTheInputList) {
  const std::string picture = files_.write("IMG0001.PCD", "x");
  const std::string disc =
      files_.write("disc/IMG0002.PCD", "x").substr(0, files_.file("disc").size());
  open_window(test_theme(), {files_.file("missing.pcd"), picture, disc});
  EXPECT_EQ(window_->input_field()->GetValue(), picture);
  EXPECT_EQ(window_->input_field()->list()->all_paths(),
            (std::vector<std::string>{picture, files_.file("disc/IMG0002.PCD")}));
}

TEST_F(WindowTest, InputListTakesDroppedAndTypedFilesAndItsPopUpMenuActsOnThem) {
  open_window();
  const std::string a = files_.write("a.pcd", "x");
  const std::string b = files_.write("b.PCD", "x");
  const std::string c = files_.write("c.pcd", "x");
  auto* target = dynamic_cast<wxFileDropTarget*>(window_->GetDropTarget());
  ASSERT_NE(target, nullptr);
  wxArrayString dropped;
  for (const std::string& path : {a, b, c}) dropped.Add(path);
  EXPECT_TRUE(target->OnDropFiles(0, 0, dropped));
  ASSERT_EQ(input_collection().size(), 1u);  // only the first of several
  EXPECT_EQ(input_collection()[0].path, a);
  dropped.RemoveAt(0);
  target->OnDropFiles(0, 0, dropped);
  window_->input_field()->SetValue(c);
  window_->add_to_input_list(c);

  ui::InputListPopup* list = window_->input_field()->list();
  EXPECT_EQ(list->all_paths(), (std::vector<std::string>{a, b, c}));
  list->Select(1);
  window_->run_command(ui::kDeleteItem);
  EXPECT_EQ(list->all_paths(), (std::vector<std::string>{a, c}));
  window_->run_command(ui::kCopyItem);
  ASSERT_TRUE(wxTheClipboard->Open());
  wxTextDataObject copied;
  EXPECT_TRUE(wxTheClipboard->GetData(copied));
  wxTheClipboard->Close();
  EXPECT_EQ(copied.GetText().utf8_string(), a + "\n" + c + "\n");
  window_->run_command(ui::kSelectAllItem);
  window_->run_command(ui::kDeleteItem);
  EXPECT_TRUE(input_collection().empty());
  EXPECT_TRUE(list->all_paths().empty());

  // A typed folder is expanded into the list once: what the user deleted
  // from the list stays out on the next try.
  window_->input_field()->SetValue(files_.folder());
  DialogScript dialogs;  // no output folder: each try stops with a message
  window_->run_command(ui::kConvertItem);
  EXPECT_EQ(list->all_paths(), (std::vector<std::string>{a, b, c}));
  list->Select(0);
  window_->run_command(ui::kDeleteItem);
  window_->run_command(ui::kConvertItem);
  EXPECT_EQ(list->all_paths(), (std::vector<std::string>{b, c}));
  EXPECT_EQ(dialogs.messages().size(), 2u);

  // New empties the list and both fields.
  window_->run_command(ui::kNewItem);
  EXPECT_TRUE(input_collection().empty());
  EXPECT_TRUE(window_->input_field()->GetValue().empty());
}

TEST_F(WindowTest, ADamagedOrMissingThemeStillGivesAWorkingWindow) {
  gfx_.write("handdrawn.zip", "PK\x03\x04 this archive stops here");
  std::vector<std::string> notes;
  EXPECT_EQ(ui::load_theme("handdrawn", 16, 20, notes, {gfx_.folder()}), nullptr);
  EXPECT_EQ(notes.size(), 1u);
  // A PNG that claims its size but does not decode refuses the theme too.
  auto files = theme_files();
  files["Icons/16/Copy.png"] = files["Icons/16/Copy.png"].substr(0, 40);
  write_zip(gfx_.file("broken.zip"), files);
  EXPECT_EQ(ui::load_theme("broken", 16, 20, notes, {gfx_.folder() + "missing/"}), nullptr);
  EXPECT_EQ(ui::load_theme("broken", 16, 20, notes, {gfx_.folder()}), nullptr);

  open_window(nullptr);
  auto* convert = dynamic_cast<wxButton*>(element("convert button"));
  ASSERT_NE(convert, nullptr);
  EXPECT_EQ(convert->GetLabel(), "Convert");
  DialogScript dialogs;
  window_->run_command(ui::kConvertItem);
  EXPECT_EQ(dialogs.messages(),
            std::vector<std::string>{catalogue_text("Msg", "Empty input files")});
  EXPECT_EQ(window_->status_text(), "Conversion stopped");
}

class WindowConversion : public WindowTest {
 protected:
  // Output files and anything else left in a folder, relative to it, with
  // "/" between folders on every system.
  static std::vector<std::string> files_below(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file())
        names.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(WindowConversion, ATypedFolderConvertsEveryPhotoCdBelowIt) {
  fs::copy_file(kSixteenBase, files_.write("disc/IMG0001.PCD", ""),
                fs::copy_options::overwrite_existing);
  fs::copy_file(kSixteenBase, files_.write("disc/more/IMG0002.PCD", ""),
                fs::copy_options::overwrite_existing);
  files_.write("disc/more/IMG0003.PCD", "no PhotoCD at all");
  open_window();
  window_->input_field()->SetValue(files_.file("disc"));
  auto* folder_box = dynamic_cast<wxComboBox*>(element("output folder box"));
  folder_box->SetValue(files_.file("out"));  // made when it is missing

  DialogScript dialogs;
  window_->run_command(ui::kConvertItem);
  ASSERT_EQ(dialogs.seen.size(), 2u);
  EXPECT_EQ(dialogs.seen[0].name, "progress dialog");
  EXPECT_EQ(dialogs.seen[0].title, "Conversion Progress");
  // The file that failed is reported with its folder and its reason, not
  // counted.
  EXPECT_EQ(dialogs.seen[1].message,
            "Conversion complete\nFiles converted: 2 of 3\n\nThese files were not converted:\n" +
                files_.file("disc/more/IMG0003.PCD") + ": " +
                catalogue_text("Msg", "Not a PhotoCD file"));
  EXPECT_EQ(window_->status_text(), "Ready");

  const fs::path out = files_.file("out");
  EXPECT_EQ(files_below(out), (std::vector<std::string>{"IMG0001.tiff", "more/IMG0002.tiff"}));
  const Image picture = load_picture((out / "more/IMG0002.tiff").string());
  EXPECT_EQ(width_of(picture), 3072);
  EXPECT_EQ(height_of(picture), 2048);
  EXPECT_EQ(recent_out_folders(g_settings).front(), files_.file("out/"));
  EXPECT_EQ(folder_box->GetValue(), files_.file("out/"));
}

TEST_F(WindowConversion, AStopBetweenFilesLeavesOnlyWholeFiles) {
  for (int i = 1; i <= 5; ++i) {
    fs::copy_file(kSixteenBase, files_.write("disc/IMG000" + std::to_string(i) + ".PCD", ""),
                  fs::copy_options::overwrite_existing);
  }
  open_window();
  window_->input_field()->SetValue(files_.file("disc/"));
  dynamic_cast<wxComboBox*>(element("output folder box"))->SetValue(files_.file("out"));

  // Once the second file is under way, Stop is pressed and confirmed.
  wxTimer presser;
  presser.Bind(wxEVT_TIMER, [&presser](wxTimerEvent&) {
    int32_t processed = 0;
    {
      std::lock_guard lock(g_progress.mutex);
      processed = g_progress.processed;
    }
    wxWindow* stop = wxWindow::FindWindowByName("stop");
    if (processed < 2 || stop == nullptr || !stop->IsEnabled()) return;
    presser.Stop();
    wxCommandEvent click(wxEVT_BUTTON, stop->GetId());
    click.SetEventObject(stop);
    stop->ProcessWindowEvent(click);
  });
  DialogScript dialogs;
  dialogs.answer = [&presser](wxDialog* dialog) {
    if (dialog->GetName() == "progress dialog") presser.Start(20);
    return wxID_NONE;
  };
  window_->run_command(ui::kConvertItem);

  const std::vector<std::string> messages = dialogs.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], catalogue_text("Msg", "Ask break conversion"));
  EXPECT_TRUE(messages[1].starts_with("Conversion stopped\n")) << messages[1];
  const std::vector<std::string> written = files_below(files_.file("out"));
  EXPECT_GE(written.size(), 1u);
  EXPECT_LT(written.size(), 5u);
  for (const std::string& name : written) {
    EXPECT_TRUE(name.ends_with(".tiff")) << name;  // no temporary file
    EXPECT_EQ(width_of(load_picture(files_.file("out/" + name))), 3072) << name;
  }
  for (const auto& entry : fs::directory_iterator(configuration_folder())) {
    EXPECT_NE(entry.path().extension(), ".tga") << entry.path();
  }
  EXPECT_EQ(window_->status_text(), "Ready");
}

}  // namespace
}  // namespace pixmera::test
