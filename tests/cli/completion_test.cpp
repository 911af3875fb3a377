// The generated bash completion script, driven the way bash drives it:
// COMP_WORDS and COMP_CWORD set, the function called, COMPREPLY read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "settings/keywords.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"
#include "util/text.h"

namespace pixmera {
namespace {

const std::string kScript = PIXMERA_BINARY_DIR "/share/bash-completion/completions/pixmera";

// Runs `commands` in bash after the script is sourced, in `folder`. The
// helper `offer WORD...` completes the last word and prints the offers;
// `offer_sorted` prints them sorted, for files, which come in folder order.
std::string in_bash(const std::string& commands, const std::string& folder = "/") {
  const std::string program =
      "cd '" + folder + "' || exit 1\nsource '" + kScript +
      "' || exit 1\n"
      "offer() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _pixmera;\n"
      "  echo \"${COMPREPLY[*]}\"; }\n"
      "offer_sorted() { offer \"$@\" | tr ' ' '\\n' | LC_ALL=C sort | paste -sd ' '; }\n" +
      commands;
  const test::ProcessResult r = test::run_process("/bin/bash", {"-c", program});
  EXPECT_EQ(r.exit_status, 0) << r.output;
  return r.output;
}

TEST(BashCompletion, IsRegisteredForThePixmeraCommand) {
  EXPECT_EQ(in_bash("complete -p pixmera"), "complete -F _pixmera pixmera\n");
}

TEST(BashCompletion, OffersOptionsAndKeywordValues) {
  const std::string offered = in_bash(
      // An option name, its "=" form ready for the value.
      "offer pixmera --tiff-comp\n"
      "offer pixmera --TIFF-COMP\n"
      // The value after "=", which bash makes a word of its own by default...
      "offer pixmera --tiff-compression =\n"
      "offer pixmera --tiff-compression = l\n"
      // ...or not, when "=" is no word break.
      "offer pixmera --tiff-compression=lo\n"
      "offer pixmera -c ''\n"
      "offer pixmera --greys\n"
      // Numbers and texts have nothing to offer; a flag takes no value.
      "offer pixmera --width = ''\n"
      "offer pixmera -q --no-sub\n");
  EXPECT_EQ(offered,
            "--tiff-compression=\n"
            "--tiff-compression=\n"
            "NONE RLE ZIP PIZ PXR24 B44 ZLIB1 ZLIB6 ZLIB9 CCITTFAX3 CCITTFAX4 PACKBITS DEFLATE "
            "ADOBEDEFLATE LZW JPEG LOGLUV\n"
            "LZW LOGLUV\n"
            "--tiff-compression=LOGLUV\n"
            "tiff\n"
            "--greyscale\n"
            "\n"
            "--no-subfolders\n");
}

TEST(BashCompletion, OffersPhotoCdFilesForTheInputAndFoldersForTheOutput) {
  test::TempFolder folder;
  for (const char* name : {"IMG0001.PCD", "img0002.pcd", "other.Pcd1", "notes.txt", "sub/x.txt"}) {
    folder.write(name, "x");
  }
  folder.write("plain/notes.txt", "x");
  const std::string offered = in_bash(
      "offer_sorted pixmera -i ''\n"
      "offer pixmera --input = IMG\n"
      "offer pixmera --input=img\n"
      "offer_sorted pixmera -o ''\n"
      // Where no PhotoCD file matches, every file is offered.
      "offer pixmera -i plain/\n",
      folder.folder());
  EXPECT_EQ(offered,
            "IMG0001.PCD img0002.pcd other.Pcd1 plain sub\n"
            "IMG0001.PCD\n"
            "--input=img0002.pcd\n"
            "plain sub\n"
            "plain/notes.txt\n");
}

TEST(BashCompletion, FollowsTheOptionTables) {
  // Every option completes from its first letters to its full form, and
  // every keyword option offers its family's words.
  std::string commands;
  std::string expected;
  for (const OptionSpec& option : advanced_options()) {
    const std::string name = to_lower(option.name);
    const bool takes_value = option.kind != OptionKind::Flag;
    commands += "offer pixmera " + name + " | tr ' ' '\\n' | grep -qx -- '" + name +
                (takes_value ? "=" : "") + "' && echo ok || echo 'missing " + name + "'\n";
    expected += "ok\n";
    if (option.kind != OptionKind::Keyword) continue;
    std::vector<std::string_view> seen;
    std::string words;
    for (const Keyword& keyword : keyword_family(option.family)) {
      if (std::find(seen.begin(), seen.end(), keyword.word) != seen.end()) continue;
      seen.push_back(keyword.word);
      words += (words.empty() ? "" : " ") + std::string(keyword.word);
    }
    commands += "offer pixmera " + name + " =\n";
    expected += words + "\n";
  }
  for (const BasicOptionSpec& option : basic_options()) {
    if (option.name == "-?") continue;
    const std::string name = to_lower(option.name);
    const bool with_equals = name.starts_with("--") && option.value != BasicValue::None;
    commands += "offer pixmera " + name + " | tr ' ' '\\n' | grep -qx -- '" + name +
                (with_equals ? "=" : "") + "' && echo ok || echo 'missing " + name + "'\n";
    expected += "ok\n";
  }
  EXPECT_EQ(in_bash(commands), expected);
}

TEST(BashCompletion, IsInstalledWhereBashCompletionLooksForIt) {
  test::TempFolder prefix;
  const test::ProcessResult r = test::run_process(
      PIXMERA_CMAKE, {"--install", PIXMERA_BINARY_DIR, "--prefix", prefix.folder()});
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::string installed =
      test::read_bytes(prefix.file("share/bash-completion/completions/pixmera"));
  EXPECT_FALSE(installed.empty());
  EXPECT_EQ(installed, test::read_bytes(kScript));
}

}  // namespace
}  // namespace pixmera
