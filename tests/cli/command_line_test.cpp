// The command-line procedure, run in-process: how parameters are read, which
// face they choose, what is printed and which exit status results.
#include "cli/command_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "pipeline/current_file.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {
namespace {

struct Outcome {
  CommandLineResult result;
  std::vector<std::string> lines;
};

Outcome run(const std::vector<std::string>& parameters) {
  testing::internal::CaptureStdout();
  Outcome r;
  r.result = run_command_line("pixmera", parameters);
  const std::string out = testing::internal::GetCapturedStdout();
  if (!out.empty()) r.lines = split(out.substr(0, out.size() - (out.back() == '\n' ? 1 : 0)), '\n');
  return r;
}

TEST(OptionNameAndValue, FollowTheParameterForms) {
  EXPECT_EQ(option_name("-i"), "-I");
  EXPECT_EQ(option_name("  --Input=x.pcd "), "--INPUT");
  EXPECT_EQ(option_name("--width=50=60"), "--WIDTH");
  EXPECT_EQ(option_name("file.pcd"), "");
  EXPECT_EQ(option_name(""), "");
  EXPECT_EQ(option_value("--width=50=60"), "50=60");
  EXPECT_EQ(option_value("  --input=a b.pcd  "), "a b.pcd");
  // The short form's value is the whole parameter; so is a long form without "=".
  EXPECT_EQ(option_value("-i"), "-i");
  EXPECT_EQ(option_value("--input"), "--input");
  EXPECT_EQ(option_value("--=x"), "x");
  EXPECT_EQ(option_value("--a=x"), "x");
}

TEST(Version, PrintsTheDottedVersionAlone) {
  EXPECT_EQ(version_text(310), "3.1");
  EXPECT_EQ(version_text(311), "3.1.1");
  EXPECT_EQ(version_text(420), "4.2");
  EXPECT_EQ(title_text(), "Varnelo PCD to TIFF 3.1");
  for (const char* form : {"-v", "-V", "--version", "--VERSION"}) {
    const Outcome r = run({form, "-i", "x.pcd"});
    EXPECT_EQ(r.result.face, Face::Console) << form;
    EXPECT_EQ(r.result.exit_status, 0);
    ASSERT_EQ(r.lines.size(), 1u) << form;
    EXPECT_EQ(r.lines[0], "3.1");
  }
}

TEST(Help, PrintsTheThirtySixLines) {
  for (const char* form : {"-h", "-?", "--help", "-H"}) {
    const Outcome r = run({form});
    EXPECT_EQ(r.result.exit_status, 0);
    ASSERT_EQ(r.lines.size(), 36u) << form;
  }
  const Outcome r = run({"-h"});
  EXPECT_EQ(r.lines[0], " ");
  EXPECT_EQ(r.lines[1], "Usage: pixmera -i <filename> [options]");
  EXPECT_EQ(r.lines[3], "  pixmera -i example.pcd");
  EXPECT_EQ(r.lines[6], "  pixmera -i c:\\tmp\\example.pcd -o d:\\converted --jpg-quality=95");
  EXPECT_EQ(r.lines[13],
            "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)");
  EXPECT_EQ(r.lines[28],
            "    ...                     Refer documentation for all available options");
  EXPECT_EQ(r.lines[35], "  -v, --version             Display version information and exit");
  for (const std::string& line : r.lines) EXPECT_EQ(line.find('%'), std::string::npos) << line;
}

TEST(SpecialParameters, AreOnlyRecognisedFirst) {
  // "-h" after "-i" and its value is skipped: the conversion job runs and
  // reports the missing input instead of printing help.
  const Outcome r = run({"-i", "/nonexistent/x.pcd", "-h", "-q"});
  EXPECT_EQ(r.result.face, Face::Console);
  EXPECT_EQ(r.result.exit_status, 1);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines.back(), "Error: Invalid input file");

  EXPECT_EQ(run({"-u"}).result.face, Face::Uninstall);
  const Outcome shots = run({"-T", "/tmp/shots"});
  EXPECT_EQ(shots.result.face, Face::Screenshot);
  EXPECT_EQ(shots.result.screenshot_folder, "/tmp/shots");
  EXPECT_EQ(g_current_file.debug_text, "T");
}

TEST(MissingValues, StopWithOneError) {
  const std::vector<std::vector<std::string>> cases = {
      {"-i"},
      {"--input", "x.pcd"},
      {"--input="},
      {"-i", "-q"},
      {"-o", "out", "-c"},
      {"--brightness"},
      {"--brightness="},
      {"--brightness=--20"},
      {"--profile="},
      {"-i", "x.pcd", "--width", "50"},
  };
  for (const auto& parameters : cases) {
    const Outcome r = run(parameters);
    EXPECT_EQ(r.result.face, Face::Console) << parameters[0];
    EXPECT_EQ(r.result.exit_status, 1) << parameters[0];
    ASSERT_EQ(r.lines.size(), 1u) << parameters[0];
    EXPECT_EQ(r.lines[0], "Error: Incorrect number of parameters");
  }
}

TEST(Walk, StopsAtTheFirstError) {
  // The width after the error is never applied.
  const Outcome r = run({"--height=7", "-i", "--width=9"});
  EXPECT_EQ(r.result.exit_status, 1);
  EXPECT_EQ(g_settings.image_height, 7);
  EXPECT_EQ(g_settings.image_width, 0);
}

TEST(AdvancedOptions, WithoutInputLeadToTheWindow) {
  const Outcome r = run({"-q", "--brightness=-20"});
  EXPECT_EQ(r.result.face, Face::Window);
  EXPECT_EQ(r.result.exit_status, 0);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_EQ(g_settings.image_brightness, -20);
  EXPECT_EQ(g_settings.do_image_color_correction, 1);
  // Words that are no option are handed to the window; option values are not.
  const Outcome opened = run({"IMG0001.PCD", "-o", "out", "--width=5", " disc/ ", "-c", "tiff"});
  EXPECT_EQ(opened.result.face, Face::Window);
  EXPECT_EQ(opened.result.bare_words, (std::vector<std::string>{"IMG0001.PCD", "disc/"}));
}

TEST(AdvancedOptions, AreAppliedInOrderAndMatchedInAnyCase) {
  run({"--WIDTH=10", "--width=50", "--Width-Unit=percent", "--gamma=2.2", "--jpg-quality=$5F",
       "--no-subfolders", "--flip-horizontal=ignored", "--unknown=1", "stray"});
  EXPECT_EQ(g_settings.image_width, 50);
  EXPECT_EQ(g_settings.do_image_resize, 1);
  EXPECT_EQ(g_settings.image_width_unit, 1);
  EXPECT_FLOAT_EQ(g_settings.image_gamma, 2.2f);
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.keep_subfolders, 0);
  EXPECT_EQ(g_settings.do_image_flip_horizontal, 1);
  // Command-line mode starts from its own defaults.
  EXPECT_EQ(g_settings.keep_aspect_ratio, 0);
}

TEST(BasicOptions, TakeShortAndLongForms) {
  run({"-I", "a.pcd", "-O", "out", "-C", "tiff", "-D"});
  EXPECT_EQ(g_current_file.given_input_path, "");  // taken over by the job
  EXPECT_EQ(g_current_file.console_mode, 1);
  EXPECT_EQ(g_current_file.conversion_type, "tiff");
  EXPECT_EQ(g_current_file.debug_text, "DEBUG");

  const Outcome r = run({"--OUTPUT=/nowhere", "--conversion=jpg"});
  EXPECT_EQ(r.result.face, Face::Window);
  EXPECT_EQ(g_current_file.output_folder, "/nowhere");
  EXPECT_EQ(g_current_file.conversion_type, "jpg");
  EXPECT_EQ(g_current_file.console_mode, 0);
}

TEST(BasicOptions, RejoinValuesTheShellSplit) {
  run({"-o", "\"/my", "converted", "pictures\"", "-c", "\"tiff\""});
  EXPECT_EQ(g_current_file.output_folder, "/my converted pictures");
  EXPECT_EQ(g_current_file.conversion_type, "tiff");

  run({"--output=\"/a", "b\""});
  EXPECT_EQ(g_current_file.output_folder, "/a b");

  // An unclosed quote takes everything up to the last parameter.
  run({"-o", "\"/a", "b", "c"});
  EXPECT_EQ(g_current_file.output_folder, "/a b c");

  // "-c" takes its value as it is, without joining.
  run({"-c", "\"ti", "ff\""});
  EXPECT_EQ(g_current_file.conversion_type, "ti");

  // Text options join too.
  run({"--wm-text=\"Hello", "world\""});
  EXPECT_EQ(g_settings.text, "Hello world");
  EXPECT_EQ(g_settings.do_watermark, 1);
}

TEST(Parameters, BeyondThe128thAreRead) {
  std::vector<std::string> parameters(300, "stray");
  parameters.push_back("--width=77");
  run(parameters);
  EXPECT_EQ(g_settings.image_width, 77);
}

TEST(Parameters, HostileTextsNeverCrash) {
  const std::string huge(64 * 1024, 'x');
  const std::vector<std::vector<std::string>> cases = {
      {""},
      {"", "", ""},
      {"\"", "\"", "\""},
      {"-o", "\""},
      {"--" + huge},
      {"--width=" + huge},
      {"-o", "\"" + huge},
      {"--wm-text=\xff\xfe\x80", "\xc3\x28"},
      {std::string("-i\0x", 3)},
      {"--=", "-", "--", "=", "-=-"},
  };
  for (const auto& parameters : cases) {
    const Outcome r = run(parameters);
    EXPECT_LE(r.result.exit_status, 1);
  }
  EXPECT_EQ(run({"--wm-text=\xff\xfe"}).result.face, Face::Window);
  EXPECT_EQ(g_settings.text, "\xff\xfe");
}

TEST(Profile, IsAppliedAtItsPlaceInTheWalk) {
  const std::string path = testing::TempDir() + "profile_test.ini";
  {
    std::ofstream out(path, std::ios::binary);
    out << "\xEF\xBB\xBF\r\n[CLI]\r\n--width = 300\r\n--WM-SOLID-OPACITY = 80\r\n"
           "--FR-SOLID-OPACITY = 90\r\n--INVERT = no\r\n";
  }
  run({"--width=10", "--profile=" + path, "--height=20"});
  EXPECT_EQ(g_settings.image_width, 300);  // the profile overrides earlier options
  EXPECT_EQ(g_settings.image_height, 20);
  EXPECT_EQ(g_settings.solid_opacity, 80);
  EXPECT_EQ(g_settings.image_invert, 1);

  run({"--profile=" + path, "--width=10"});
  EXPECT_EQ(g_settings.image_width, 10);

  const Outcome missing = run({"--profile=/nonexistent/profile.ini", "--width=5"});
  EXPECT_EQ(missing.result.exit_status, 1);
  ASSERT_EQ(missing.lines.size(), 1u);
  EXPECT_EQ(missing.lines[0], "Error: Invalid profile file");
  EXPECT_EQ(g_settings.image_width, 0);
  std::remove(path.c_str());
}

TEST(Banner, IsPrintedUnlessQuiet) {
  const Outcome loud = run({"-i", "/nonexistent/x.pcd"});
  ASSERT_GE(loud.lines.size(), 4u);
  EXPECT_EQ(loud.lines[0], "Varnelo PCD to TIFF 3.1");
  EXPECT_EQ(loud.lines[1], kMakerLine);
  EXPECT_EQ(loud.lines[2], kWebAddress);
  EXPECT_EQ(loud.lines[3], " ");

  const Outcome quiet = run({"-i", "/nonexistent/x.pcd", "-q"});
  ASSERT_EQ(quiet.lines.size(), 1u);
  EXPECT_EQ(quiet.lines[0], "Error: Invalid input file");
}

TEST(Pause, DoesNotWaitWithoutATerminal) {
  // With standard input on /dev/null "-p" must come back at once.
  const int saved = ::dup(0);
  const int null_fd = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(null_fd, 0);
  ::dup2(null_fd, 0);
  ::close(null_fd);
  const Outcome error = run({"-p", "-i"});
  ASSERT_EQ(error.lines.size(), 1u);
  EXPECT_EQ(error.lines[0], "Error: Incorrect number of parameters");

  const Outcome normal = run({"-i", "/nonexistent/x.pcd", "-q", "-p"});
  ASSERT_EQ(normal.lines.size(), 2u);
  EXPECT_EQ(normal.lines[1], "Press any key to exit.");
  ::dup2(saved, 0);
  ::close(saved);
}

}  // namespace
}  // namespace pixmera
