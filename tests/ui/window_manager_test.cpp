// What needs a window manager: where the window opens, what closing it
// maximised or minimised records, the size limits, keys sent to the active
// window, and the whole program ended with Alt+X. openbox runs on the test's
// display for these.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <wx/uiaction.h>

#include <fstream>

#include "settings/catalogue.h"
#include "support/process_runner.h"
#include "window_fixture.h"

extern char** environ;

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

pid_t spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& extra_env) {
  // The extra variables replace inherited ones of the same name.
  std::vector<std::string> env_text = extra_env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('=') + 1);
    const bool replaced = std::any_of(extra_env.begin(), extra_env.end(),
                                      [&](const std::string& x) { return x.starts_with(name); });
    if (!replaced) env_text.push_back(entry);
  }
  std::vector<char*> argv;
  std::vector<char*> envp;
  for (const std::string& arg : argv_text) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& entry : env_text) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Exit status of a child once it ends; -1 when it did not end in time, and
// it is then killed.
int wait_for_exit(pid_t pid, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string run_text(const std::string& program, const std::vector<std::string>& args) {
  return run_process(program, args).output;
}

class WithWindowManager : public WindowTest {
 protected:
  static void SetUpTestSuite() {
    window_manager_ = spawn({"openbox"}, {});
    // The window manager is there once it has marked the root window.
    const bool ready = wait_until([] {
      return run_text("/usr/bin/xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
             std::string::npos;
    });
    if (!ready) std::fprintf(stderr, "openbox did not start\n");
  }
  static void TearDownTestSuite() {
    if (window_manager_ > 0) {
      ::kill(window_manager_, SIGTERM);
      ::waitpid(window_manager_, nullptr, 0);
    }
  }

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
  const int status = wait_for_exit(program, std::chrono::seconds(20));
  EXPECT_EQ(status, 0);
  const std::string saved = read_bytes(home + "config/Varnelo/pixmera/config.ini");
  EXPECT_NE(saved.find("[Window]\r\nIsMaximized = 0\r\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace pixmera::test
