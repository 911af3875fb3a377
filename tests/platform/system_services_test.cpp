// The system services through their headers, the same tests on Linux and on
// Windows (under wine): files by names in any script, path texts, the user's
// folders, and helper programs with their arguments, exit status and time
// limit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "support/temp_folder.h"
#include "util/text.h"

namespace pixmera {
namespace {

using test::TempFolder;

const bool kWindows = kPathSeparator == '\\';

std::string helper_program() { return native_separators(PIXMERA_CHILD_HELPER); }

// The temporary folder as the platform layer writes folders.
std::string folder_of_temp(const TempFolder& temp) {
  return utf8_path(temp.path()) + kPathSeparator;
}

TEST(FileServices, NamesInAnyScriptKeepEveryCharacter) {
  const TempFolder temp;
  // Letters no single ANSI code page holds together, and blanks.
  const std::string folder =
      folder_of_temp(temp) + "Ærø 1996" + kPathSeparator + "日本" + kPathSeparator;
  ASSERT_TRUE(make_folders(folder));
  EXPECT_TRUE(is_folder(folder));
  EXPECT_EQ(file_size(folder), kFileIsFolder);

  const std::string path = folder + "IMG0001 Ærø.PCD";
  EXPECT_EQ(file_size(path), kFileMissing);
  EXPECT_FALSE(file_exists(path));
  ASSERT_TRUE(write_file_atomically(path, "first"));
  ASSERT_TRUE(write_file_atomically(path, "second text"));
  EXPECT_EQ(file_size(path), 11);
  std::string bytes;
  ASSERT_TRUE(read_file(path, bytes));
  EXPECT_EQ(bytes, "second text");
  EXPECT_EQ(file_read_error(path), 0);
  EXPECT_NE(file_read_error(folder + "missing.pcd"), 0);

  // The standard library and the C library open the same file by the same text.
  std::FILE* file = open_file(path, "rb");
  ASSERT_NE(file, nullptr);
  char head[6] = {};
  EXPECT_EQ(std::fread(head, 1, 6, file), 6u);
  std::fclose(file);
  EXPECT_EQ(std::string(head, 6), "second");
  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(file_system_path(folder))) {
    listed.push_back(utf8_path(entry.path()));
  }
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_TRUE(same_file(listed[0], path));
  EXPECT_EQ(file_name_of(listed[0]), "IMG0001 Ærø.PCD");

  // A time in 1999, read back to the second.
  ASSERT_TRUE(set_file_modified_time(path, 946684799));
  int64_t seconds = 0;
  ASSERT_TRUE(file_modified_time(path, seconds));
  EXPECT_EQ(seconds, 946684799);

  const std::string temporary = make_temporary_file(folder, ".pixmera-", ".tmp");
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(file_size(temporary), 0);
  EXPECT_FALSE(same_file(temporary, path));
  // A rename replaces a file that is there.
  ASSERT_TRUE(rename_file(path, temporary));
  EXPECT_FALSE(file_exists(path));
  EXPECT_EQ(file_size(temporary), 11);
  EXPECT_TRUE(delete_file(temporary));
  EXPECT_FALSE(file_exists(temporary));
  EXPECT_FALSE(delete_file(temporary));
}

TEST(PathTexts, AbsoluteAndSeparatorsAsTheSystemWritesThem) {
  EXPECT_FALSE(is_absolute_path(""));
  EXPECT_FALSE(is_absolute_path("photos"));
  EXPECT_TRUE(is_absolute_path("/photos"));
  EXPECT_EQ(is_absolute_path("C:\\Fotos\\IMG0001.PCD"), kWindows);
  EXPECT_EQ(is_absolute_path("\\\\server\\share\\IMG0001.PCD"), kWindows);
  EXPECT_EQ(is_absolute_path("D:photos"), kWindows);
  EXPECT_EQ(native_separators("a/b/c.pcd"), kWindows ? "a\\b\\c.pcd" : "a/b/c.pcd");
  // A chosen folder is kept with the system's own separator at its end.
  EXPECT_EQ(with_trailing_separator(native_separators("/photos")), native_separators("/photos/"));
  EXPECT_EQ(with_trailing_separator(native_separators("/photos/")), native_separators("/photos/"));
  EXPECT_EQ(with_trailing_separator(""), "");
  EXPECT_EQ(module_file_name("pixmera_engine"),
            kWindows ? "pixmera_engine.dll" : "libpixmera_engine.so");
  const std::string utf8 = "C:\\Fotos\\Ærø 1996\\日本\\IMG0001.PCD";
  EXPECT_EQ(utf8_path(file_system_path(utf8)), utf8);
}

TEST(UserFolders, HomeAndPicturesAreTheSystemsOwnFolders) {
  const std::string home = home_folder();
  ASSERT_FALSE(home.empty());
  EXPECT_TRUE(is_absolute_path(home)) << home;
  EXPECT_TRUE(is_path_separator(home.back())) << home;
  EXPECT_TRUE(is_folder(home)) << home;
  const std::string pictures = pictures_folder_text();
  ASSERT_FALSE(pictures.empty());
  EXPECT_TRUE(is_path_separator(pictures.back())) << pictures;
  if (kWindows) {
    // A path as Windows writes it, which its dialogs and Explorer take:
    // no "~", no "/".
    EXPECT_TRUE(is_absolute_path(pictures)) << pictures;
    EXPECT_EQ(pictures.find_first_of("~/"), std::string::npos) << pictures;
    EXPECT_EQ(disc_folder_text().find('/'), std::string::npos);
  } else {
    // The window takes "~/" from the home folder.
    EXPECT_EQ(pictures, "~/Pictures/");
  }
}

TEST(HelperPrograms, ArgumentsArriveWholeAndTheExitStatusComesBack) {
  const TempFolder temp;
  const std::string out = folder_of_temp(temp) + "Ærø 日本.txt";
  // Blanks, quotes, backslashes before quotes and at the end, an empty
  // argument: each must reach the program as one argument, unchanged.
  const std::vector<std::string> words = {
      "plain",       "two words",       "",       "say \"cheese\"",
      "C:\\Fotos\\", "back\\\\\"slash", "\t tab", "Ærø 1996\\日本\\IMG0001.PCD[5]"};
  std::vector<std::string> arguments = {"echo", out};
  arguments.insert(arguments.end(), words.begin(), words.end());
  const RunResult result = run_program(helper_program(), arguments, 60.0);
  ASSERT_EQ(result.outcome, RunOutcome::Exited);
  EXPECT_EQ(result.status, 7);
  std::string written;
  ASSERT_TRUE(read_file(out, written));
  std::string expected;
  for (const std::string& word : words) expected += word + "\n";
  EXPECT_EQ(written, expected);

  EXPECT_EQ(run_program(folder_of_temp(temp) + "no-such-program", {}, 5.0).outcome,
            RunOutcome::NotStarted);
}

// A helper that hangs is ended at the time limit together with the program
// it started, which would otherwise go on running (and holding its files)
// after the conversion gave up on it.
TEST(HelperPrograms, AHungProgramIsKilledWithWhatItStarted) {
  const TempFolder temp;
  const std::string beat = folder_of_temp(temp) + "beat";
  const auto started = std::chrono::steady_clock::now();
  const RunResult result = run_program(helper_program(), {"parent", beat}, 4.0);
  EXPECT_EQ(result.outcome, RunOutcome::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(3900));

  // The grandchild was beating when the time ran out ...
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::string before;
  ASSERT_TRUE(read_file(beat, before));
  EXPECT_FALSE(before.empty());
  // ... and beats no more.
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  std::string after;
  ASSERT_TRUE(read_file(beat, after));
  EXPECT_EQ(before, after);
}

TEST(HelperPrograms, ProgramSearchFindsAProgramByPath) {
  const std::string helper = helper_program();
  EXPECT_EQ(find_in_path(helper), helper);
  EXPECT_TRUE(is_executable(helper));
  EXPECT_EQ(find_in_path(""), "");
  EXPECT_EQ(environment_variable("PIXMERA_SURELY_UNSET_VARIABLE"), "");
}

}  // namespace
}  // namespace pixmera
