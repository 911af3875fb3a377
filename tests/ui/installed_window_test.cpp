// The window of the program installed into a fresh prefix: it finds its
// module and theme there, and F1 hands the installed manual to the browser.
// openbox runs on the test's display so the window takes keys.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "gui_support.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"

extern char** environ;

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

const std::string kPrefix = PIXMERA_TEST_PREFIX;

// Starts a program with extra variables, its output into `output`.
pid_t spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& extra_env,
            const std::string& output) {
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
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status once the child ends; -1 (and it is killed) past the limit.
int wait_for_exit(pid_t pid) {
  int status = 0;
  const bool ended = wait_until([&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> command{"20", "xdotool"};
  command.insert(command.end(), args.begin(), args.end());
  return run_process("/usr/bin/timeout", command).output;
}

class InstalledWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    window_manager_ = spawn({"/usr/bin/openbox"}, {}, "/dev/null");
    const bool ready = wait_until([] {
      return run_process("/usr/bin/xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"})
                 .output.find("window id") != std::string::npos;
    });
    if (!ready) std::fprintf(stderr, "openbox did not start\n");
  }
  static void TearDownTestSuite() {
    if (window_manager_ > 0) {
      ::kill(window_manager_, SIGTERM);
      ::waitpid(window_manager_, nullptr, 0);
    }
  }
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
