// What needs a window manager: where the window opens, what closing it
// maximised or minimised records, the size limits, keys sent to the active
// window, and the whole program ended with Alt+X. openbox runs on the test's
// display for these.
#include <wx/uiaction.h>

#include <fstream>

#include "child_process.h"
#include "settings/catalogue.h"
#include "window_fixture.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

std::string run_text(const std::string& program, const std::vector<std::string>& args) {
  return run_process(program, args).output;
}

class WithWindowManager : public WindowTest {
 protected:
  static void SetUpTestSuite() { window_manager_ = start_window_manager(); }
  static void TearDownTestSuite() { stop_window_manager(window_manager_); }

  void activate() {
    window_->Raise();
    window_->SetFocus();
    ASSERT_TRUE(wait_until([this] { return window_->IsActive(); }));
  }

  static pid_t window_manager_;
};

pid_t WithWindowManager::window_manager_ = -1;

TEST_F(WithWindowManager, OpensWhereItWasLeftAndRecordsWhereItIsOnClose) {
  g_settings.x = 220;
  g_settings.y = 170;
  g_settings.width = 640;
  open_window();
  ASSERT_TRUE(wait_until([this] { return window_->GetPosition() == wxPoint(220, 170); }))
      << window_->GetPosition().x << "," << window_->GetPosition().y;
  // The height cannot grow past the fixed 260, the width not below 510.
  window_->SetSize(700, 400);
  EXPECT_TRUE(wait_until([this] { return window_->GetSize().x == 700; }));
  EXPECT_EQ(window_->GetSize().y, 260);
  window_->SetSize(300, 260);
  EXPECT_TRUE(wait_until([this] { return window_->GetSize().x == 510; }));
  window_->Move(250, 200);
  ASSERT_TRUE(wait_until([this] { return window_->GetPosition() == wxPoint(250, 200); }));
  ASSERT_TRUE(close_window());
  EXPECT_EQ(g_settings.is_maximized, 0);
  EXPECT_EQ(g_settings.x, 250);
  EXPECT_EQ(g_settings.y, 200);
  EXPECT_EQ(g_settings.width, 510);
  EXPECT_EQ(g_settings.height, 260);
}

TEST_F(WithWindowManager, ClosingMaximisedOrMinimisedKeepsTheNormalGeometry) {
  open_window();
  window_->Maximize(true);
  ASSERT_TRUE(wait_until([this] { return window_->IsMaximized(); }));
  ASSERT_TRUE(close_window());
  EXPECT_EQ(g_settings.is_maximized, 1);
  EXPECT_EQ(g_settings.x, 100);
  EXPECT_EQ(g_settings.width, 560);

  g_settings.is_maximized = 0;
  open_window();
  window_->Iconize(true);
  ASSERT_TRUE(wait_until([this] { return window_->IsIconized(); }));
  g_settings.x = 7;  // what the configuration holds must stay
  ASSERT_TRUE(close_window());
  EXPECT_EQ(g_settings.x, 7);
  EXPECT_EQ(g_settings.is_maximized, 0);
}

TEST_F(WithWindowManager, F10OpensNothingAndF5ChecksTheInput) {
  open_window();
  int menus_opened = 0;
  int nothing_items = 0;
  window_->Bind(wxEVT_MENU_OPEN, [&menus_opened](wxMenuEvent& event) {
    ++menus_opened;
    event.Skip();
  });
  window_->Bind(
      wxEVT_MENU,
      [&nothing_items](wxCommandEvent& event) {
        ++nothing_items;
        event.Skip();
      },
      ui::item_id(ui::kNothingItem));
  activate();
  wxUIActionSimulator keys;
  keys.Char(WXK_F10);
  ASSERT_TRUE(wait_until([&] { return nothing_items == 1; }));
  EXPECT_EQ(menus_opened, 0);

  DialogScript dialogs;
  keys.Char(WXK_F5);
  ASSERT_TRUE(wait_until([&] { return !dialogs.seen.empty(); }));
  EXPECT_EQ(dialogs.messages(),
            std::vector<std::string>{catalogue_text("Msg", "Empty input files")});
  EXPECT_TRUE(input_collection().empty());
}

TEST_F(WithWindowManager, AltXEndsTheProgramWithItsConfigurationSaved) {
  const std::string home = files_.folder();
  const pid_t program = spawn({PIXMERA_BINARY_DIR "/bin/pixmera"},
                              {"XDG_CONFIG_HOME=" + home + "config", "XDG_RUNTIME_DIR=" + home});
  ASSERT_GT(program, 0);
  const std::string found = run_text(
      "/usr/bin/timeout", {"20", "xdotool", "search", "--sync", "--onlyvisible", "--pid",
                           std::to_string(program), "--name", "^Varnelo PCD to TIFF 3.1$"});
  const std::string id = found.substr(0, found.find('\n'));
  ASSERT_FALSE(id.empty());
  run_text("/usr/bin/xdotool", {"windowactivate", "--sync", id});
  run_text("/usr/bin/xdotool", {"key", "--clearmodifiers", "alt+x"});
  const int status = wait_for_exit(program);
  EXPECT_EQ(status, 0);
  const std::string saved = read_bytes(home + "config/Varnelo/pixmera/config.ini");
  EXPECT_NE(saved.find("[Window]\r\nIsMaximized = 0\r\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace pixmera::test
