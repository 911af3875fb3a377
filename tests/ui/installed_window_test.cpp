// The window of the program installed into a fresh prefix: it finds its
// module and theme there, and F1 hands the installed manual to the browser.
// openbox runs on the test's display so the window takes keys.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "support/temp_folder.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

const std::string kPrefix = PIXMERA_TEST_PREFIX;

std::string xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> command{"20", "xdotool"};
  command.insert(command.end(), args.begin(), args.end());
  return run_process("/usr/bin/timeout", command).output;
}

class InstalledWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() { window_manager_ = start_window_manager(); }
  static void TearDownTestSuite() { stop_window_manager(window_manager_); }
  static pid_t window_manager_;
};

pid_t InstalledWindow::window_manager_ = -1;

TEST_F(InstalledWindow, OpensWithItsThemeAndHandsItsManualToTheBrowser) {
  TempFolder home;
  // The browser: a stand-in xdg-open that notes what it was asked to open.
  // The desktop's data folders hold no application, so the toolkit falls
  // back to xdg-open; the MIME database and icons stay reachable.
  const std::string opened = home.file("opened.txt");
  const std::string browser =
      home.write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened + "'\n");
  fs::permissions(browser, fs::perms::owner_all);
  fs::create_directories(home.path() / "data");
  for (const char* shared : {"mime", "icons", "themes"}) {
    fs::create_directory_symlink(fs::path("/usr/share") / shared, home.path() / "data" / shared);
  }
  const std::string output = home.file("output.txt");
  const pid_t program = spawn(
      {kPrefix + "/bin/pixmera", "-d"},
      {"XDG_CONFIG_HOME=" + home.folder() + "config", "XDG_RUNTIME_DIR=" + home.folder(),
       "XDG_DATA_DIRS=" + home.folder() + "data", "XDG_DATA_HOME=" + home.folder() + "data-home",
       "PATH=" + home.folder() + "bin:/usr/bin:/bin"},
      output);
  ASSERT_GT(program, 0);
  const std::string found = xdotool({"search", "--sync", "--onlyvisible", "--pid",
                                     std::to_string(program), "--name", "^Varnelo PCD to TIFF"});
  const std::string id = found.substr(0, found.find('\n'));
  EXPECT_FALSE(id.empty());
  if (!id.empty()) {
    xdotool({"windowactivate", "--sync", id});
    xdotool({"key", "--clearmodifiers", "F1"});
    EXPECT_TRUE(wait_until([&] { return fs::exists(opened); }));
    xdotool({"key", "--clearmodifiers", "alt+x"});
  }
  EXPECT_EQ(wait_for_exit(program), 0);

  // The toolkit hands xdg-open a file:// address or the path itself.
  std::string manual = read_bytes(opened);
  if (manual.starts_with("file://")) manual.erase(0, 7);
  EXPECT_EQ(manual, kPrefix + "/share/doc/pixmera/manual.html\n");
  // Not beside the program (there is no bin/gfx/ in the prefix): the theme
  // came from share/pixmera/gfx/.
  EXPECT_NE(read_bytes(output).find("Theme: Hand-drawn\n"), std::string::npos)
      << read_bytes(output);
}

}  // namespace
}  // namespace pixmera::test
