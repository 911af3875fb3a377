// The Help menu's manual and update check, and the automatic check as the
// window opens, against small servers on 127.0.0.1.
#include "ui/update_check.h"

#include <wx/window.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "platform/http_fetch.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "support/http_server.h"
#include "ui/dialogs.h"
#include "ui/toolkit.h"
#include "window_fixture.h"

namespace pixmera::test {
namespace {

constexpr const char* kDownload = "https://www.varnelo.example/pixmera/download/";
constexpr int32_t kLongAgo = 1'600'000'000;  // September 2020
constexpr int32_t kDay = 86400;

std::string document(const std::string& version) {
  return "version = " + version + "\ndate = 2027-03-01\ndownload = " + kDownload + "\n";
}

int32_t now() { return static_cast<int32_t>(std::time(nullptr)); }

class UpdatesAndManual : public WindowTest {
 protected:
  void SetUp() override { WindowTest::SetUp(); }
  void TearDown() override {
    WindowTest::TearDown();
    EXPECT_FALSE(ui::update_check_running());
    set_environment_variable("PIXMERA_UPDATE_URL", HttpServer::unreachable_url());
  }

  static void ask_at(const std::string& address) {
    set_environment_variable("PIXMERA_UPDATE_URL", address);
  }

  // Opens the window with the automatic check's settings and waits until
  // any check it started has its answer.
  void open_and_settle(int32_t range, int32_t last_check, const char* debug_text = "") {
    g_settings.update_range = range;
    g_settings.update_date = last_check;
    g_current_file.debug_text = debug_text;
    open_window();
    ASSERT_TRUE(wait_until([] { return !ui::update_check_running(); }));
  }

  OpenedPages opened_;
};

TEST_F(UpdatesAndManual, OnDemandTellsOfANewerVersionTheNewestOrWhyItFailed) {
  struct Case {
    HttpServer::Reply reply;
    std::string message;
    bool stores_date;
  };
  const Case cases[] = {
      {{200, document("3.10")},
       "A new version (3.10, released 2027-03-01) is available. You have 3.1. Do you want to "
       "open the download page?",
       true},
      {{200, document("3.1.0")}, "You are using the latest version (3.1).", true},
      // A server behind this build: nothing newer to fetch.
      {{200, document("3.0.9")}, "You are using the latest version (3.1).", true},
      {{404, "gone"},
       "Unable to check for a new version: 127.0.0.1 answered with the HTTP status 404",
       false},
      {{200, "<html>a captive portal</html>"},
       "Unable to check for a new version: the answer of 127.0.0.1 is no version information",
       false},
      {{200, std::string(5000, '#')},
       "Unable to check for a new version: the answer of 127.0.0.1 is too large for version "
       "information",
       false},
  };
  open_window();
  for (const Case& c : cases) {
    HttpServer server(c.reply);
    ask_at(server.url());
    g_settings.update_date = kLongAgo;
    DialogScript dialogs;  // says Yes to the download page
    window_->run_command(ui::kCheckForNewVersionItem);
    ASSERT_TRUE(wait_until([&] { return !dialogs.seen.empty(); })) << c.message;
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{c.message});
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ(g_settings.update_date >= now() - 5, c.stores_date) << c.message;
    EXPECT_FALSE(ui::update_check_running());
  }
  EXPECT_EQ(opened_.pages(), std::vector<std::string>{kDownload});

  DialogScript dialogs;
  ask_at(HttpServer::unreachable_url());
  g_settings.update_date = kLongAgo;
  window_->run_command(ui::kCheckForNewVersionItem);
  ASSERT_TRUE(wait_until([&] { return !dialogs.seen.empty(); }));
  EXPECT_EQ(dialogs.messages(),
            std::vector<std::string>{
                "Unable to check for a new version: no connection to 127.0.0.1 could be made"});
  EXPECT_EQ(g_settings.update_date, kLongAgo);
}

TEST_F(UpdatesAndManual, ACheckAskedFromADialogIsAnsweredAfterTheDialogHasClosed) {
  open_window();
  HttpServer same({200, document("3.1")});
  ask_at(same.url());
  DialogScript dialogs;
  // As the preferences' "Check Now" asks, and the user closes them at once.
  auto* preferences = new wxDialog(window_, wxID_ANY, "Preferences");
  ui::check_for_new_version(preferences);
  delete preferences;
  ASSERT_TRUE(wait_until([&] { return !dialogs.seen.empty(); }));
  EXPECT_EQ(dialogs.messages(),
            std::vector<std::string>{"You are using the latest version (3.1)."});
}

TEST_F(UpdatesAndManual, TheAutomaticCheckRunsOnlyWhenDueAndSpeaksOnlyOfANewerVersion) {
  HttpServer newer({200, document("3.2")});
  ask_at(newer.url());
  DialogScript dialogs;
  dialogs.answer = [](wxDialog*) { return wxID_NO; };

  struct NotDue {
    int32_t range;
    int32_t days_ago;
    const char* debug_text;
  };
  const NotDue not_due[] = {
      {2, 29, ""},    {0, 0, ""}, {4, 179, ""}, {77, 29, ""},  // unknown: 30 days
      {5, 5000, ""},                                           // never
      {2, 5000, "T"},                                          // screenshot mode
  };
  for (const NotDue& c : not_due) {
    const int32_t last = now() - c.days_ago * kDay;
    open_and_settle(c.range, last, c.debug_text);
    EXPECT_FALSE(ui::update_check_running());
    ASSERT_TRUE(close_window());
    EXPECT_EQ(g_settings.update_date, last);
  }
  EXPECT_EQ(newer.requests(), 0);
  EXPECT_TRUE(dialogs.seen.empty());

  // Due: the window asks once, offers the download and stores the date.
  const int32_t before = now();
  open_and_settle(2, now() - 31 * kDay);
  EXPECT_EQ(newer.requests(), 1);
  EXPECT_EQ(dialogs.messages(),
            std::vector<std::string>{"A new version (3.2, released 2027-03-01) is available. You "
                                     "have 3.1. Do you want to open the download page?"});
  EXPECT_GE(g_settings.update_date, before);
  EXPECT_TRUE(opened_.pages().empty());  // the user said No
  ASSERT_TRUE(close_window());

  // An unknown interval counts as 30 days.
  open_and_settle(77, now() - 31 * kDay);
  EXPECT_EQ(newer.requests(), 2);
  ASSERT_TRUE(close_window());

  // The newest version already, or no answer: nothing is said; only an
  // answer stores the date.
  dialogs.seen.clear();
  HttpServer same({200, document("3.1")});
  ask_at(same.url());
  open_and_settle(0, now() - 2 * kDay);
  EXPECT_EQ(same.requests(), 1);
  EXPECT_GE(g_settings.update_date, before);
  ASSERT_TRUE(close_window());
  ask_at(HttpServer::unreachable_url());
  open_and_settle(0, now() - 2 * kDay);
  EXPECT_LT(g_settings.update_date, before);
  ASSERT_TRUE(close_window());
  HttpServer broken({200, "version = 9\n"});
  ask_at(broken.url());
  open_and_settle(0, now() - 2 * kDay);
  EXPECT_EQ(broken.requests(), 1);
  EXPECT_LT(g_settings.update_date, before);
  ASSERT_TRUE(close_window());
  EXPECT_TRUE(dialogs.seen.empty());
}

TEST_F(UpdatesAndManual, ANoticeWaitsForTheWindowOnTheScreenAndNoDialogInItsWay) {
  HttpServer newer({200, document("3.2")});
  ask_at(newer.url());
  DialogScript dialogs;
  bool window_on_screen = false;
  dialogs.answer = [&](wxDialog*) {
    window_on_screen = ui::mapped_on_screen(window_);
    return wxID_NO;
  };
  g_settings.update_date = kLongAgo;
  g_settings.update_range = 2;
  const auto settle = [] {
    for (int i = 0; i < 5; ++i) {
      wxTheApp->Yield(true);
      wxTheApp->ProcessIdle();
    }
  };
  // An answer before the window is on the screen waits for it: a notice
  // centred on a window not yet placed lands in a corner of the screen.
  window_ = new ui::MainWindow(test_theme(), {});
  ASSERT_TRUE(wait_until([] { return !ui::update_check_running(); }));
  settle();
  EXPECT_TRUE(dialogs.seen.empty());
  // As a modal dialog (a conversion's progress) disables the window.
  window_->Disable();
  window_->Show();
  ASSERT_TRUE(wait_until([this] { return ui::mapped_on_screen(window_); }));
  settle();
  EXPECT_TRUE(dialogs.seen.empty());
  window_->Enable();
  ASSERT_TRUE(wait_until([&] { return !dialogs.seen.empty(); }));
  EXPECT_EQ(dialogs.seen.size(), 1u);
  EXPECT_TRUE(window_on_screen);
  EXPECT_EQ(newer.requests(), 1);
}

TEST_F(UpdatesAndManual, ASilentServerDelaysNeitherTheFirstPaintNorTheClose) {
  HttpServer silent({}, HttpServer::Mode::Silent);
  ask_at(silent.url());
  DialogScript dialogs;
  g_settings.update_date = kLongAgo;
  g_settings.update_range = 2;
  window_ = new ui::MainWindow(test_theme(), {});
  int paints = 0;
  wxWindow* panel = wxWindow::FindWindowByName("pixmera-main", window_);
  ASSERT_NE(panel, nullptr);
  panel->Bind(wxEVT_PAINT, [&paints](wxPaintEvent& event) {
    ++paints;
    event.Skip();
  });
  window_->Show();
  // What the system has to paint is painted now: wxMSW's yield outside a
  // running event loop leaves a queued paint waiting.
  panel->Update();
  ASSERT_TRUE(wait_until([&] { return paints > 0; }));
  // Painted while the check still waits for its answer.
  EXPECT_TRUE(ui::update_check_running());
  ASSERT_TRUE(wait_until([&] { return silent.requests() == 1; }));
  EXPECT_TRUE(ui::update_check_running());

  // Closing cancels the fetch rather than waiting out its time limits.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(close_window());
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(FetchLimits{}.connect_timeout_ms));
  EXPECT_FALSE(ui::update_check_running());
  EXPECT_EQ(g_settings.update_date, kLongAgo);
  EXPECT_TRUE(dialogs.seen.empty());
}

TEST_F(UpdatesAndManual, TheManualOpensInTheBrowserFromBesideTheProgram) {
  open_window();
  window_->run_command(ui::kManualItem);
  // Where the build tree keeps it as the installation does, and its address.
  const std::string manual = native_separators(PIXMERA_BUILT_MANUAL);
  EXPECT_EQ(ui::manual_path(), manual);
  EXPECT_EQ(opened_.pages(), std::vector<std::string>{PIXMERA_BUILT_MANUAL_ADDRESS});
  EXPECT_EQ(read_bytes(manual), read_bytes(PIXMERA_SOURCE_DIR "/docs/manual.html"));
}

}  // namespace
}  // namespace pixmera::test
