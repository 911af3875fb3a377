// The man page and the manual against the tables the program runs on: every
// option, every word a documented keyword option takes and every error the
// console prints are written down in both.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "cli/options.h"
#include "settings/keywords.h"
#include "util/text.h"

namespace pixmera {
namespace {

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string kManPage = read_text(PIXMERA_SOURCE_DIR "/docs/pixmera.1");
const std::string kManual = read_text(PIXMERA_SOURCE_DIR "/docs/manual.html");

// How roff spells a text: every "-" is "\-".
std::string in_roff(std::string_view text) { return replace_all(text, "-", "\\-"); }

void expect_documented(const std::string& text, const std::string& why) {
  EXPECT_NE(kManPage.find(in_roff(text)), std::string::npos)
      << text << " (" << why << ") in pixmera.1";
  EXPECT_NE(kManual.find(text), std::string::npos) << text << " (" << why << ") in manual.html";
}

TEST(Documentation, EveryOptionAndTheWordsOfTheDocumentedOnesAreInBoth) {
  ASSERT_FALSE(kManPage.empty());
  ASSERT_FALSE(kManual.empty());
  for (const BasicOptionSpec& option : basic_options()) {
    expect_documented(to_lower(option.name), "basic option");
  }
  for (const OptionSpec& option : advanced_options()) {
    expect_documented(to_lower(option.name), "advanced option");
  }
  expect_documented("--wm-solid-opacity", "the frame opacity in a profile");
  for (const char* special : {"-U", "-T"}) expect_documented(special, "interface mode");

  // Options of other formats change nothing in a TIFF and list no words; the
  // compression and colour mode families are shared with them, so TIFF's
  // own choices are checked by hand below.
  for (const OptionSpec& option : advanced_options()) {
    const bool documented_words =
        option.kind == OptionKind::Keyword && option.group != "Input" && option.group != "Output";
    if (!documented_words) continue;
    for (const Keyword& keyword : keyword_family(option.family)) {
      expect_documented(std::string(keyword.word), std::string(option.name));
    }
  }
  for (const char* word : {"NONE", "CCITTFAX3", "CCITTFAX4", "PACKBITS", "DEFLATE", "ADOBEDEFLATE",
                           "LZW", "JPEG", "LOGLUV", "RGB", "CMYK"}) {
    expect_documented(word, "TIFF");
  }
}

TEST(Documentation, EveryErrorOfTheConsoleIsInBoth) {
  std::string sources;
  for (const char* file : {"/src/pipeline/driver.cpp", "/src/cli/command_line.cpp",
                           "/src/app/startup.cpp", "/src/app/window_face.cpp"}) {
    sources += read_text(std::string(PIXMERA_SOURCE_DIR) + file);
  }
  // "Error: " lines are printed from literal messages, or through the
  // driver's fail(); the bit-depth one names its format, which is TIFF.
  // The quality checks of JPEG and WebP cannot be met by this product.
  const std::regex message(R"re((?:fail\(|"Error: )"?([A-Z][a-z][^"]*)")re");
  std::vector<std::string> errors;
  for (auto it = std::sregex_iterator(sources.begin(), sources.end(), message);
       it != std::sregex_iterator(); ++it) {
    std::string text = (*it)[1];
    if (text == "Invalid ") text = "Invalid tiff-bpp value";
    if (text.find("jpg-") == std::string::npos && text.find("webp-") == std::string::npos) {
      errors.push_back(text);
    }
  }
  ASSERT_GE(errors.size(), 12u);
  for (const std::string& error : errors) expect_documented(error, "error line");
  expect_documented("Incorrect number of parameters", "error line");
  expect_documented("Invalid profile file", "error line");
}

}  // namespace
}  // namespace pixmera
