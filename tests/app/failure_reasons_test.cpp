// Why a file failed: every reason produced by a real case, on standard error,
// with standard output exactly as it was before reasons existed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "pipeline/current_file.h"
#include "pipeline/driver.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "settings/catalogue.h"
#include "support/process_runner.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kFixtures = PIXMERA_TEST_DATA "/pcd/";

// What a run that converts nothing prints on standard output, line for line
// as the program printed it before it gave reasons.
std::string stopped_output(bool quiet) {
  if (quiet) return "Conversion stopped\n";
  return "Varnelo PCD to TIFF 3.1\n"
         "Copyright (c) Varnelo Software. All rights reserved.\n"
         "https://www.varnelo.example/pixmera/\n"
         " \n"
         "Preparing...\n"
         "Importing...\n"
         "Import complete, new files added: 1\n"
         "Converting...\n"
         "Conversion stopped\n";
}

class FailureReasons : public testing::Test {
 protected:
  void SetUp() override {
    build_catalogue();
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("pixmera-reasons-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder : {"config", "out", "bin"}) fs::create_directories(root_ / folder);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(root_ / "locked", fs::perms::owner_all, ec);
    fs::remove_all(root_, ec);
  }

  std::string path(const std::string& name) const { return (root_ / name).string(); }
  std::string out() const { return path("out") + "/"; }
  std::string no_converter() const { return path("bin/no-such-converter"); }

  std::map<std::string, std::string> environment(const std::string& converter) const {
    return {{"XDG_CONFIG_HOME", path("config")},
            {"XDG_RUNTIME_DIR", path("config")},
            {"PIXMERA_CONVERTER", converter}};
  }

  // The program, started through `wrapper` (a command that ends by running
  // its remaining arguments) when one is given.
  ProcessResult run(const std::vector<std::string>& args, const std::string& converter,
                    const std::vector<std::string>& wrapper = {}) const {
    if (wrapper.empty()) return test::run_process(kPixmera, args, environment(converter), true);
    std::vector<std::string> all(wrapper.begin() + 1, wrapper.end());
    all.push_back(kPixmera);
    all.insert(all.end(), args.begin(), args.end());
    return test::run_process(wrapper.front(), all, environment(converter), true);
  }

  // Runs `setup` (shell commands) in a mount namespace of its own, then the
  // program; the mounts vanish with the namespace.
  std::vector<std::string> in_mount_namespace(const std::string& setup) const {
    return {"/usr/bin/unshare", "--mount", "--propagation",           "private",
            "/bin/sh",          "-c",      setup + " && exec \"$@\"", "sh"};
  }

  // Empty when mounts can be made here, else why not.
  std::string why_no_mounts() const {
    const std::string probe = path("probe");
    fs::create_directories(probe);
    const ProcessResult r = test::run_process(
        "/usr/bin/unshare", {"--mount", "--propagation", "private", "/bin/sh", "-c",
                             "mount -t tmpfs -o size=16k none '" + probe + "'"});
    if (r.exit_status == 0) return {};
    return "no mount namespace with mounts here (unshare/mount said: " + r.output + ")";
  }

  static std::string reason_line(const std::string& file_name, const std::string& reason) {
    return "pixmera: " + file_name + ": " + reason + "\n";
  }

  fs::path root_;
};

TEST_F(FailureReasons, ReadOnlyDiscSaysSoAndHintsAtTheOutputFolder) {
  if (const std::string why = why_no_mounts(); !why.empty()) GTEST_SKIP() << why;
  // A PhotoCD disc: the pictures on a file system mounted read-only.
  const std::string disc = path("disc");
  fs::create_directories(disc);
  fs::copy_file(kFixtures + "base_only.pcd", disc + "/IMG0001.PCD");
  const std::vector<std::string> mounted =
      in_mount_namespace("mount --bind -o ro '" + disc + "' '" + disc + "'");
  const std::string input = disc + "/IMG0001.PCD";
  const std::string expected =
      reason_line("IMG0001.PCD",
                  "cannot write " + disc +
                      "/IMG0001.tiff: Read-only file system (use -o to choose an output folder)");

  const ProcessResult plain = run({"-i", input}, no_converter(), mounted);
  EXPECT_EQ(plain.exit_status, 1);
  EXPECT_EQ(plain.output, stopped_output(false));
  EXPECT_EQ(plain.error, expected);

  const ProcessResult quiet = run({"-i", input, "-q"}, no_converter(), mounted);
  EXPECT_EQ(quiet.exit_status, 1);
  EXPECT_EQ(quiet.output, stopped_output(true));
  EXPECT_EQ(quiet.error, expected);

  // Debug mode keeps its own report line; the reason is on standard error.
  const ProcessResult debug = run({"-i", input, "-q", "-d"}, no_converter(), mounted);
  EXPECT_EQ(debug.exit_status, 1);
  EXPECT_TRUE(
      debug.output.ends_with("File Format: [ERROR] UNRECOGNIZED\n"
                             "[ERROR] Unable to convert the file!\n"
                             "Conversion stopped\n"))
      << debug.output;
  EXPECT_EQ(debug.output.find("pixmera:"), std::string::npos);
  EXPECT_EQ(debug.error, expected);

  // Asked to write onto the disc from elsewhere: the reason, but no hint,
  // since an output folder was chosen.
  const std::string elsewhere = path("scan.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", elsewhere);
  const ProcessResult chosen = run({"-i", elsewhere, "-o", disc, "-q"}, no_converter(), mounted);
  EXPECT_EQ(chosen.exit_status, 1);
  EXPECT_EQ(chosen.output, stopped_output(true));
  EXPECT_EQ(chosen.error,
            reason_line("scan.pcd", "cannot write " + disc + "/scan.tiff: Read-only file system"));
}

TEST_F(FailureReasons, FullDiskSaysSoAndLeavesNothing) {
  if (const std::string why = why_no_mounts(); !why.empty()) GTEST_SKIP() << why;
  // 64 KiB hold the temporary file's name but not the 1.1 MB picture.
  const std::string full = path("full");
  const std::string listing = path("listing.txt");
  fs::create_directories(full);
  const std::vector<std::string> wrapper = {"/usr/bin/unshare",
                                            "--mount",
                                            "--propagation",
                                            "private",
                                            "/bin/sh",
                                            "-c",
                                            "mount -t tmpfs -o size=64k none '" + full +
                                                "' || exit 99\n\"$@\"; status=$?\nls -A '" + full +
                                                "' > '" + listing + "'\nexit $status",
                                            "sh"};
  const ProcessResult r =
      run({"-i", kFixtures + "base_only.pcd", "-o", full}, no_converter(), wrapper);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.output, stopped_output(false));
  EXPECT_EQ(r.error, reason_line("base_only.pcd", "cannot write " + full +
                                                      "/base_only.tiff: No space left on device"));
  std::ifstream names(listing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(names), {}), "");
}

TEST_F(FailureReasons, PermissionDeniedForTheOutputAndTheInput) {
  // Root passes every permission check; without the two capabilities that
  // let it, file modes count for root too.
  std::vector<std::string> wrapper;
  if (::geteuid() == 0) {
    wrapper = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"};
    const ProcessResult probe = test::run_process(wrapper[0], {wrapper[1], "/bin/true"});
    if (probe.exit_status != 0) {
      GTEST_SKIP() << "cannot drop the file permission capabilities: " << probe.output;
    }
  }
  const std::string locked = path("locked");
  fs::create_directories(locked);
  ::chmod(locked.c_str(), 0555);
  const ProcessResult unwritable =
      run({"-i", kFixtures + "base_only.pcd", "-o", locked, "-q"}, no_converter(), wrapper);
  EXPECT_EQ(unwritable.exit_status, 1);
  EXPECT_EQ(unwritable.output, stopped_output(true));
  EXPECT_EQ(unwritable.error,
            reason_line("base_only.pcd",
                        "cannot write " + locked + "/base_only.tiff: Permission denied"));

  const std::string secret = path("secret.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", secret);
  ::chmod(secret.c_str(), 0);
  const ProcessResult unreadable = run({"-i", secret, "-o", out()}, no_converter(), wrapper);
  EXPECT_EQ(unreadable.exit_status, 1);
  EXPECT_EQ(unreadable.output, stopped_output(false));
  EXPECT_EQ(unreadable.error,
            reason_line("secret.pcd", "cannot read " + secret + ": Permission denied"));
}

TEST_F(FailureReasons, EachStepOfTheConversionNamesItsFailure) {
  const std::string garbage = path("bin/garbage-converter");
  std::ofstream(garbage) << "#!/bin/sh\nyes not-a-picture | head -c 5000 > \"$7\"\n";
  fs::permissions(garbage, fs::perms::owner_all);
  const std::string ours = fs::weakly_canonical(PIXMERA_BINARY_DIR "/lib/pixmera/convert").string();
  const std::string beside = path("scan.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", beside);
  const std::string long_name(300, 'x');

  const struct {
    std::vector<std::string> args;
    std::string converter;
    std::string file_name;
    std::string reason;
  } cases[] = {
      {{"-i", kFixtures + "not_a_pcd.pcd", "-o", out()},
       no_converter(),
       "not_a_pcd.pcd",
       "not a PhotoCD file (it lacks the PhotoCD signature)"},
      {{"-i", kFixtures + "header_only.pcd", "-o", out()},
       no_converter(),
       "header_only.pcd",
       "cannot decode the picture: no converter was found and the PhotoCD loader refused it"},
      {{"-i", kFixtures + "header_only.pcd", "-o", out()},
       "<unset>",
       "header_only.pcd",
       "cannot decode the picture: " + ours + " left none and the PhotoCD loader refused it"},
      {{"-i", kFixtures + "base_only.pcd", "-o", out()},
       garbage,
       "base_only.pcd",
       "cannot load the picture: " + garbage + " wrote a file that is no picture"},
      {{"-i", kFixtures + "base_only.pcd", "-o", out(), "--width=100000", "--height=100000"},
       no_converter(),
       "base_only.pcd",
       "the resize failed"},
      {{"-i", beside, "--filename-mask=%filename%.pcd"},
       no_converter(),
       "scan.pcd",
       "not written: " + beside + " would replace the input file"},
      {{"-i", kFixtures + "base_only.pcd", "-o", out(), "--filename-mask=" + long_name + ".%ext%"},
       no_converter(),
       "base_only.pcd",
       "cannot write " + out() + long_name + ".tiff: File name too long"},
  };
  for (const auto& c : cases) {
    for (const bool quiet : {false, true}) {
      std::vector<std::string> args = c.args;
      if (quiet) args.push_back("-q");
      const ProcessResult r = run(args, c.converter);
      EXPECT_EQ(r.exit_status, 1) << c.reason;
      EXPECT_EQ(r.output, stopped_output(quiet)) << c.reason;
      EXPECT_EQ(r.error, reason_line(c.file_name, c.reason));
    }
  }
  EXPECT_TRUE(fs::is_empty(out()));
}

TEST_F(FailureReasons, ProgressRecordListsTheFailuresOfTheLastRun) {
  // The window reads the reasons from the progress record; the worker
  // starts every run with an empty list.
  ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
  ::setenv("PIXMERA_CONVERTER", no_converter().c_str(), 1);
  const auto run_job = [this](const std::string& input) {
    prepare_command_line_mode();
    clear_input_collection();
    g_current_file.given_input_path = input;
    g_current_file.output_folder = out();
    return run_conversion_job(true);
  };
  const std::string bad = kFixtures + "not_a_pcd.pcd";
  EXPECT_EQ(run_job(bad), 1);
  {
    std::lock_guard lock(g_progress.mutex);
    ASSERT_EQ(g_progress.failures.size(), 1u);
    EXPECT_EQ(g_progress.failures[0].path, bad);
    EXPECT_EQ(g_progress.failures[0].reason, "not a PhotoCD file (it lacks the PhotoCD signature)");
    EXPECT_EQ(g_progress.converted, 0);
  }
  EXPECT_EQ(run_job(kFixtures + "base_only.pcd"), 0);
  {
    std::lock_guard lock(g_progress.mutex);
    EXPECT_TRUE(g_progress.failures.empty());
    EXPECT_EQ(g_progress.converted, 1);
  }
  clear_input_collection();
  ::unsetenv("PIXMERA_CONVERTER");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace pixmera
