#include "cli/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <set>
#include <string>

#include "cli/command_line.h"
#include "pipeline/current_file.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "support/temp_folder.h"
#include "util/text.h"

namespace pixmera {
namespace {

using test::TempFolder;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Each test starts from the command-line defaults and leaves g_settings as
// it found it.
class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    g_settings.input_format_list = input_type_list();
    g_settings.output_format_list = accepted_conversion_list();
    reset_settings(g_settings, true);
  }
  void TearDown() override { g_settings = saved_; }

  // What the command line does with "--NAME=value": the option is found by
  // its upper-case name and applied with the text after "=".
  static void apply(std::string_view name, std::string_view value = {}) {
    const OptionSpec* option = find_advanced_option(name, false);
    ASSERT_NE(option, nullptr) << name;
    apply_option(*option, value, g_settings);
  }

  bool profile(std::string_view bytes) {
    return apply_profile(folder_.write("profile.ini", bytes), g_settings);
  }

  Settings saved_;
  TempFolder folder_;
};

TEST_F(OptionsTest, TableNamesExistingSettings) {
  std::set<std::string_view> names;
  for (const OptionSpec& option : advanced_options()) {
    EXPECT_TRUE(option.name.starts_with("--")) << option.name;
    EXPECT_EQ(to_upper(option.name), option.name);
    EXPECT_TRUE(names.insert(option.name).second) << "duplicate " << option.name;
    EXPECT_NE(find_setting(option.group, option.key), nullptr) << option.name;
    if (!option.extra_key.empty()) {
      EXPECT_NE(find_setting(option.group, option.extra_key), nullptr) << option.name;
    }
    if (option.kind == OptionKind::Keyword) {
      EXPECT_FALSE(keyword_family(option.family).empty()) << option.name;
      EXPECT_NE(option.family, kFamilyFrameType);
      EXPECT_NE(option.family, kFamilyWatermarkType);
    }
    EXPECT_EQ(find_advanced_option(option.name, false), &option);
  }
  EXPECT_EQ(advanced_options().size(), 107u);
}

TEST_F(OptionsTest, ResizeOptionsTurnResizingOn) {
  apply("--WIDTH", "50");
  EXPECT_EQ(g_settings.image_width, 50);
  EXPECT_EQ(g_settings.do_image_resize, 1);
  apply("--WIDTH-UNIT", "PERCENT");
  EXPECT_EQ(g_settings.image_width_unit, 1);
  apply("--HEIGHT-UNIT", "  percent ");
  EXPECT_EQ(g_settings.image_height_unit, 1);
  apply("--HEIGHT-UNIT", "INCHES");
  EXPECT_EQ(g_settings.image_height_unit, 0);
}

TEST_F(OptionsTest, GammaIsADecimalAndTurnsCorrectionOn) {
  apply("--GAMMA", "2.2");
  EXPECT_FLOAT_EQ(g_settings.image_gamma, 2.2f);
  EXPECT_EQ(g_settings.do_image_color_correction, 1);
  apply("--GAMMA", "nan");
  EXPECT_TRUE(std::isnan(g_settings.image_gamma));
}

TEST_F(OptionsTest, IntegersTakeHexadecimalBinaryAndTrailingText) {
  apply("--JPG-QUALITY", "$5F");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  apply("--JPG-QUALITY", "%101");
  EXPECT_EQ(g_settings.jpg_quality, 5);
  apply("--BRIGHTNESS", "-12abc");
  EXPECT_EQ(g_settings.image_brightness, -12);
  EXPECT_EQ(g_settings.do_image_color_correction, 1);
  apply("--WEBP-QUALITY", "words");
  EXPECT_EQ(g_settings.webp_quality, 0);
}

TEST_F(OptionsTest, FlagsSetTheirValueWhateverFollows) {
  ASSERT_EQ(g_settings.keep_subfolders, 1);
  apply("--NO-SUBFOLDERS");
  EXPECT_EQ(g_settings.keep_subfolders, 0);
  apply("--INVERT", "0");
  EXPECT_EQ(g_settings.image_invert, 1);
  EXPECT_EQ(g_settings.do_image_color_correction, 1);
  apply("--PNG-INTERLACED", "no");
  EXPECT_EQ(g_settings.png_interlaced, 1);
  apply("--KEEP-ASPECT-RATIO");
  EXPECT_EQ(g_settings.keep_aspect_ratio, 1);
}

TEST_F(OptionsTest, LaterWatermarkOptionDecidesTheType) {
  apply("--WM-IMAGE", "/tmp/logo.png");
  EXPECT_EQ(g_settings.do_watermark, 2);
  apply("--WM-TEXT", "Hello");
  EXPECT_EQ(g_settings.do_watermark, 1);
  EXPECT_EQ(g_settings.text, "Hello");
  EXPECT_EQ(g_settings.image, "/tmp/logo.png");
  apply("--WM-IMAGE", "/tmp/other.png");
  EXPECT_EQ(g_settings.do_watermark, 2);
}

TEST_F(OptionsTest, KeywordsStoreTheirCodeAndUnknownWordsZero) {
  apply("--TIFF-COMPRESSION", "lzw");
  EXPECT_EQ(g_settings.tiff_compression, 6);
  apply("--JPG-CHROMA", "HIGH");
  EXPECT_EQ(g_settings.jpg_chroma, 3);
  apply("--JPG-CHROMA", "BOGUS");
  EXPECT_EQ(g_settings.jpg_chroma, 0);
  apply("--DITHER", "bayer8");
  EXPECT_EQ(g_settings.image_dither_algorithm, 2);
  EXPECT_EQ(g_settings.do_image_dither, 1);
  apply("--WM-TEXT-SIZE", "FIXED");
  EXPECT_EQ(g_settings.text_size, 0);
}

TEST_F(OptionsTest, OtherSettingsAreLeftAlone) {
  const Settings before = g_settings;
  apply("--ROTATION-BACK-COLOR", "FF0000");
  Settings expected = before;
  expected.image_rotation_back_color = "FF0000";
  EXPECT_EQ(g_settings, expected);
  apply("--FR-SOLID-TOP", "4");
  expected.solid_top = 4;
  expected.do_frame = 1;
  EXPECT_EQ(g_settings, expected);
}

TEST_F(OptionsTest, FrameOpacityHasAnotherNameInProfiles) {
  EXPECT_NE(find_advanced_option("--FR-SOLID-OPACITY", false), nullptr);
  EXPECT_EQ(find_advanced_option("--WM-SOLID-OPACITY", false), nullptr);
  EXPECT_EQ(find_advanced_option("--FR-SOLID-OPACITY", true), nullptr);
  const OptionSpec* in_profile = find_advanced_option("--WM-SOLID-OPACITY", true);
  ASSERT_NE(in_profile, nullptr);
  EXPECT_EQ(in_profile->key, "Solid Opacity");
  EXPECT_EQ(find_advanced_option("--width", false), nullptr);  // callers upper-case first
}

TEST_F(OptionsTest, ProfileFlagKeyWithAnyValue) {
  ASSERT_TRUE(profile("[CLI]\r\n--INVERT = whatever\r\n"));
  EXPECT_EQ(g_settings.image_invert, 1);
  EXPECT_EQ(g_settings.do_image_color_correction, 1);
}

TEST_F(OptionsTest, ProfileWithoutCliGroupIsAcceptedAndChangesNothing) {
  const Settings before = g_settings;
  EXPECT_TRUE(profile("[General]\r\n--INVERT = 1\r\n[Output]\r\nJPG Quality = 5\r\n"));
  EXPECT_EQ(g_settings, before);
  EXPECT_TRUE(profile(""));
  EXPECT_TRUE(profile("[CLI]\r\n"));
  EXPECT_EQ(g_settings, before);
}

TEST_F(OptionsTest, ProfileKeysAreAppliedInFileOrder) {
  ASSERT_TRUE(
      profile("\xEF\xBB\xBF\r\n[cli]\r\n"
              "--width = 30\r\n"
              "--WIDTH = 40\r\n"
              "--WM-TEXT = \"quoted\" text \r\n"
              "--WM-SOLID-OPACITY = 100\r\n"
              "--FR-SOLID-OPACITY = 50\r\n"
              "--UNKNOWN = 1\r\n"
              "--TIFF-COMPRESSION =  deflate \r\n"
              "--GAMMA = 0.5\r\n"));
  EXPECT_EQ(g_settings.image_width, 40);
  EXPECT_EQ(g_settings.do_image_resize, 1);
  EXPECT_EQ(g_settings.text, "\"quoted\" text");
  EXPECT_EQ(g_settings.solid_opacity, 100);
  EXPECT_EQ(g_settings.tiff_compression, 4);
  EXPECT_FLOAT_EQ(g_settings.image_gamma, 0.5f);
}

TEST_F(OptionsTest, ProfileEmptyValuesStoreZeroOrEmptyText) {
  ASSERT_TRUE(profile("[CLI]\r\n--JPG-QUALITY =\r\n--WM-FONT = \r\n--TIFF-COMPRESSION=\r\n"));
  EXPECT_EQ(g_settings.jpg_quality, 0);
  EXPECT_EQ(g_settings.font, "");
  EXPECT_EQ(g_settings.tiff_compression, 0);
}

TEST_F(OptionsTest, ProfileThatCannotBeReadIsRefused) {
  const Settings before = g_settings;
  EXPECT_FALSE(apply_profile("", g_settings));
  EXPECT_FALSE(apply_profile(folder_.file("missing.ini"), g_settings));
  EXPECT_FALSE(apply_profile(folder_.folder(), g_settings));
  EXPECT_EQ(g_settings, before);
}

TEST_F(OptionsTest, ProfileTakesItsPlaceInTheParameterOrder) {
  const CurrentFile saved_current_file = g_current_file;
  const std::string path = folder_.write("profile.ini", "[CLI]\r\n--WIDTH=30\r\n--HEIGHT=20\r\n");
  const CommandLineResult result =
      run_command_line("pixmera", {"--height=5", "--profile=" + path, "--width=70"});
  EXPECT_EQ(result.face, Face::Window);
  EXPECT_EQ(g_settings.image_width, 70);
  EXPECT_EQ(g_settings.image_height, 20);
  g_current_file = saved_current_file;
}

TEST_F(OptionsTest, DamagedProfilesLoadWhatTheyCan) {
  std::mt19937 random(777);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(2048, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    EXPECT_TRUE(profile(bytes));
  }
  reset_settings(g_settings, true);
  ASSERT_TRUE(profile("[CLI]\r--WIDTH = 11\r" + std::string(2, '\0') + "--HEIGHT = 12\r\n"));
  EXPECT_EQ(g_settings.image_width, 11);
  EXPECT_EQ(g_settings.image_height, 0);
  ASSERT_TRUE(profile("[CLI]\n--WIDTH = 12\n\xEF\xBB\xBF--HEIGHT = 13\n--WM-TEXT = " +
                      std::string(1 << 20, 'y') + "\n[CLI]\n--WIDTH = 99\n"));
  EXPECT_EQ(g_settings.image_width, 12);
  EXPECT_EQ(g_settings.image_height, 0);
  EXPECT_EQ(g_settings.text.size(), size_t{1} << 20);
  ASSERT_TRUE(profile("[CLI]--WIDTH = 13"));
  EXPECT_EQ(g_settings.image_width, 12);
}

// Inputs that once broke a reader, kept so that they never do again.
TEST_F(OptionsTest, RegressionInputs) {
  const std::filesystem::path folder =
      std::filesystem::path(PIXMERA_TEST_DATA) / "settings" / "regress";
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = test::read_bytes(entry.path().string());
    EXPECT_TRUE(apply_profile(entry.path().string(), g_settings));
    // The sanitizer build checks these for undefined behaviour.
    (void)parse_number(bytes);
    (void)parse_decimal(bytes);
    for (int32_t family = 0; family <= kFamilyPhotoCdColorSpace; ++family) {
      const int32_t code = keyword_to_code(family, bytes);
      EXPECT_TRUE(code == 0 || !code_to_keyword(family, code).empty());
    }
    ++count;
  }
  EXPECT_GT(count, 0u) << "no regression inputs kept in " << folder;
}

TEST(NumberParser, ReadsSignsBasesAndStopsAtTheFirstStranger) {
  EXPECT_EQ(parse_number("42"), 42);
  EXPECT_EQ(parse_number(" \t 42"), 42);
  EXPECT_EQ(parse_number("+42"), 42);
  EXPECT_EQ(parse_number("-20"), -20);
  EXPECT_EQ(parse_number("$5F"), 95);
  EXPECT_EQ(parse_number("$5f"), 95);
  EXPECT_EQ(parse_number("-$10"), -16);
  EXPECT_EQ(parse_number("%101"), 5);
  EXPECT_EQ(parse_number("%102"), 2);
  EXPECT_EQ(parse_number("-12abc"), -12);
  EXPECT_EQ(parse_number("12.9"), 12);
  EXPECT_EQ(parse_number(""), 0);
  EXPECT_EQ(parse_number("$"), 0);
  EXPECT_EQ(parse_number("%"), 0);
  EXPECT_EQ(parse_number("-"), 0);
  EXPECT_EQ(parse_number("$G"), 0);
  EXPECT_EQ(parse_number("0x10"), 0);
  EXPECT_EQ(parse_number("\n5"), 0);
  EXPECT_EQ(parse_number("+-5"), 0);
}

// Values beyond 32 bits saturate instead of wrapping round.
TEST(NumberParser, ClampsOverflowToThe32BitRange) {
  EXPECT_EQ(parse_number("2147483647"), kMax);
  EXPECT_EQ(parse_number("2147483648"), kMax);
  EXPECT_EQ(parse_number("-2147483648"), kMin);
  EXPECT_EQ(parse_number("-2147483649"), kMin);
  EXPECT_EQ(parse_number("4294967296"), kMax);
  EXPECT_EQ(parse_number("99999999999999999999999999"), kMax);
  EXPECT_EQ(parse_number("-99999999999999999999999999"), kMin);
  EXPECT_EQ(parse_number("$7FFFFFFF"), kMax);
  EXPECT_EQ(parse_number("$80000000"), kMax);
  EXPECT_EQ(parse_number("$FFFFFFFFFFFFFFFFFFFF"), kMax);
  EXPECT_EQ(parse_number("-$80000000"), kMin);
  EXPECT_EQ(parse_number("%" + std::string(200, '1')), kMax);
  EXPECT_EQ(parse_number(std::string(100000, '9')), kMax);
}

TEST(DecimalParser, ReadsNumbersAndTheThreeWords) {
  EXPECT_FLOAT_EQ(parse_decimal("2.2"), 2.2f);
  EXPECT_FLOAT_EQ(parse_decimal(" 1.5 "), 1.5f);
  EXPECT_FLOAT_EQ(parse_decimal("+0.25"), 0.25f);
  EXPECT_FLOAT_EQ(parse_decimal("-3"), -3.0f);
  EXPECT_FLOAT_EQ(parse_decimal(".5"), 0.5f);
  EXPECT_FLOAT_EQ(parse_decimal("1e1"), 10.0f);
  EXPECT_EQ(parse_decimal("+Infinity"), kInfinity);
  EXPECT_EQ(parse_decimal("+INFINITY"), kInfinity);
  EXPECT_EQ(parse_decimal("-infinity"), -kInfinity);
  EXPECT_TRUE(std::isnan(parse_decimal("NaN")));
  EXPECT_TRUE(std::isnan(parse_decimal("nan")));
}

TEST(DecimalParser, TextThatIsNotANumberGivesZero) {
  for (const char* text : {"", "abc", "1.5x", "1,5", "Infinity", "inf", "-nan", "0x1p3", "+-5",
                           "1e", "--1", ".", "-", "1 2"}) {
    EXPECT_EQ(parse_decimal(text), 0.0f) << text;
  }
}

TEST(DecimalParser, OutOfRangeMagnitudes) {
  EXPECT_EQ(parse_decimal("1e39"), kInfinity);
  EXPECT_EQ(parse_decimal("-1e39"), -kInfinity);
  EXPECT_EQ(parse_decimal("1e400"), kInfinity);
  EXPECT_EQ(parse_decimal("-1e400"), -kInfinity);
  EXPECT_EQ(parse_decimal("1" + std::string(400, '0')), kInfinity);
  EXPECT_EQ(parse_decimal("1e-400"), 0.0f);
  EXPECT_EQ(parse_decimal("0." + std::string(400, '0') + "1"), 0.0f);
  EXPECT_EQ(parse_decimal("-0." + std::string(400, '0') + "1e5"), 0.0f);
  EXPECT_EQ(parse_decimal("0.0001e999999999999"), kInfinity);
  EXPECT_EQ(parse_decimal("1000e-999999999999"), 0.0f);
}

}  // namespace
}  // namespace pixmera
