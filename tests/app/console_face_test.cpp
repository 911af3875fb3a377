// The executable as a script sees it: what it prints and its exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "app/startup.h"
#include "support/process_runner.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";

class ConsoleFace : public testing::Test {
 protected:
  void SetUp() override {
    runtime_ = fs::temp_directory_path() / ("pixmera-face-" + std::to_string(::getpid()));
    fs::create_directories(runtime_);
  }
  void TearDown() override { fs::remove_all(runtime_); }

  ProcessResult run(const std::vector<std::string>& args) const {
    return test::run_process(kPixmera, args,
                             {{"XDG_RUNTIME_DIR", runtime_.string()},
                              {"XDG_CONFIG_HOME", (runtime_ / "config").string()},
                              {"DISPLAY", "<unset>"},
                              {"WAYLAND_DISPLAY", "<unset>"}});
  }

  fs::path runtime_;
};

TEST_F(ConsoleFace, ExitStatusTellsSuccessFromFailure) {
  EXPECT_EQ(run({"-v"}).output, "3.1\n");
  EXPECT_EQ(run({"-v"}).exit_status, 0);
  const ProcessResult help = run({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(std::count(help.output.begin(), help.output.end(), '\n'), 36);

  const ProcessResult missing = run({"-i"});
  EXPECT_EQ(missing.output, "Error: Incorrect number of parameters\n");
  EXPECT_EQ(missing.exit_status, 1);

  // Options without an input lead to the windowed face; without a display it
  // says so, fails and leaves the configuration file alone.
  const std::string no_window = "Error: Cannot open the window: no display\n";
  const ProcessResult window = run({"-q", "--brightness=-20"});
  EXPECT_EQ(window.output, no_window);
  EXPECT_EQ(window.exit_status, 1);
  const ProcessResult bare = run({});
  EXPECT_EQ(bare.output, no_window);
  EXPECT_EQ(bare.exit_status, 1);
  EXPECT_FALSE(fs::exists(runtime_ / "config" / "Varnelo" / "pixmera" / "config.ini"));

  const ProcessResult invalid = run({"-i", "/nonexistent/x.pcd", "-q"});
  EXPECT_EQ(invalid.output, "Error: Invalid input file\n");
  EXPECT_EQ(invalid.exit_status, 1);
}

TEST_F(ConsoleFace, SecondCopySaysWhyItDidNothing) {
  const std::string lock = (runtime_ / "Varnelo PCD to TIFF 3.1.lock").string();
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

  const ProcessResult with_parameters = run({"-v"});
  EXPECT_EQ(with_parameters.output, "Error: Another copy of the program is running\n");
  EXPECT_EQ(with_parameters.exit_status, 1);
  // Without parameters the second copy ends silently, before any window.
  const ProcessResult without = run({});
  EXPECT_EQ(without.output, "");
  EXPECT_EQ(without.exit_status, 0);

  ::close(fd);
  EXPECT_EQ(run({"-v"}).exit_status, 0);
}

TEST(CommandNumbers, FollowTheirTables) {
  EXPECT_EQ(main_button_number("Convert"), 2);
  EXPECT_EQ(main_button_number("InFolder"), 4);
  EXPECT_EQ(menu_command_number("New"), 5);
  EXPECT_EQ(menu_command_number("About"), 28);
  EXPECT_EQ(menu_command_number("Email"), 25);
  // The second menu table numbers every command 24 higher: 29 to 52.
  EXPECT_EQ(second_menu_number("New"), 29);
  EXPECT_EQ(second_menu_number("About"), 52);
  EXPECT_EQ(menu_command_number("Nothing"), 0);
}

}  // namespace
}  // namespace pixmera
