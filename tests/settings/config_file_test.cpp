#include "settings/config_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>

#include "platform/desktop.h"
#include "settings/numbers.h"
#include "settings/product.h"
#include "support/temp_folder.h"

namespace pixmera {
namespace {

using test::read_bytes;
using test::TempFolder;

constexpr int32_t kUpdateDate = 1700000000;
constexpr int32_t kCustomTimestamp = 1600000000;

// The whole file the defaults give, with the two dates fixed.
// clang-format off
const std::string kDefaultFile =
    "\xEF\xBB\xBF\r\n"
    "[General]\r\n"
    "CFG = 19\r\n"
    "Language = en\r\n"
    "Update Range = 2\r\n"
    "Update Date = 1700000000\r\n"
    "Save Window Position = 1\r\n"
    "; \r\n"
    "[Window]\r\n"
    "IsMaximized = 0\r\n"
    "Width = 510\r\n"
    "Height = 260\r\n"
    "X = 100\r\n"
    "Y = 100\r\n"
    "; \r\n"
    "[Interface]\r\n"
    "UI Theme = handdrawn\r\n"
    "UI Size = 2\r\n"
    "; \r\n"
    "[Input]\r\n"
    "Format = pcd\r\n"
    "; \r\n"
    "[PhotoCD]\r\n"
    "PhotoCD Highlights = 0\r\n"
    "PhotoCD Color Space = 0\r\n"
    "; \r\n"
    "[Output]\r\n"
    "Format = tiff\r\n"
    "TIFF BPP = 0\r\n"
    "TIFF Compression = 0\r\n"
    "TIFF Color Mode = 0\r\n"
    "; \r\n"
    "[Transform]\r\n"
    "Do Image Rotation = 0\r\n"
    "Image Rotation Type = 0\r\n"
    "Image Rotation = 0\r\n"
    "Image Rotation Back Color = 000000\r\n"
    "Do Image Resize = 0\r\n"
    "Image Width = 0\r\n"
    "Image Width Unit = 0\r\n"
    "Image Height = 0\r\n"
    "Image Height Unit = 0\r\n"
    "Keep Aspect Ratio = 1\r\n"
    "Image Resize Type = 0\r\n"
    "Image Resize Algorithm = 3\r\n"
    "Do Image Flip Horizontal = 0\r\n"
    "Do Image Flip Vertical = 0\r\n"
    "; \r\n"
    "[Adjustment]\r\n"
    "Do Image Color Correction = 0\r\n"
    "Image Brightness = 0\r\n"
    "Image Contrast = 0\r\n"
    "Image Gamma = 1.000000\r\n"
    "Image Invert = 0\r\n"
    "Do Image Greyscale = 0\r\n"
    "Do Image Threshold = 0\r\n"
    "Image Threshold = 0\r\n"
    "Do Image Dither = 0\r\n"
    "Image Dither Algorithm = 0\r\n"
    "; \r\n"
    "[Frame]\r\n"
    "Do Frame = 0\r\n"
    "Solid Left = 0\r\n"
    "Solid Right = 0\r\n"
    "Solid Top = 0\r\n"
    "Solid Bottom = 0\r\n"
    "Solid Left Color = 000000\r\n"
    "Solid Right Color = 000000\r\n"
    "Solid Top Color = 000000\r\n"
    "Solid Bottom Color = 000000\r\n"
    "Solid Opacity = 255\r\n"
    "; \r\n"
    "[Watermark]\r\n"
    "Do Watermark = 0\r\n"
    "Text = " + std::string(kDefaultWatermarkText) + "\r\n"
    "Fonts = Arial,Tahoma,Verdana\r\n"
    "Font = Arial\r\n"
    "Font Size = 14\r\n"
    "Font Leading = 0\r\n"
    "Font Colors = 000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF\r\n"
    "Font Color = FFFFFF\r\n"
    "Font Style = 0\r\n"
    "Font Effect = 0\r\n"
    "Text Antialiasing = 0\r\n"
    "Text Alignment = 0\r\n"
    "Text Padding = 0\r\n"
    "Text Opacity = 255\r\n"
    "Back Colors = 000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF\r\n"
    "Back Color = 000000\r\n"
    "Back Opacity = 1\r\n"
    "Text Boundary = 0\r\n"
    "Text Position = 8\r\n"
    "Text X Offset = 10\r\n"
    "Text Y Offset = 10\r\n"
    "Text Rotation = 0\r\n"
    "Text Size = 0\r\n"
    "Text Scale = 10\r\n"
    "Image = \r\n"
    "Image Greyscale = 0\r\n"
    "Image Opacity = 255\r\n"
    "Image Boundary = 0\r\n"
    "Image Position = 8\r\n"
    "Image X Offset = 10\r\n"
    "Image Y Offset = 10\r\n"
    "Image Rotation = 0\r\n"
    "Image Size = 0\r\n"
    "Image Scale = 10\r\n"
    "; \r\n"
    "[Advanced]\r\n"
    "Filename Mask = %filename%.%ext%\r\n"
    "File Timestamp = 0\r\n"
    "Custom Timestamp = 1600000000\r\n"
    "Out Folders History = 1\r\n"
    "Out Folders Number = 5\r\n"
    "Keep Subfolders = 1\r\n"
    "; \r\n"
    "[File]\r\n"
    "Recent Out Folders = \r\n"
    "Recent Files = \r\n"
    "; \r\n"
    "[Privacy]\r\n"
    "Clean Recent Files = 0\r\n"
    "; \r\n";
// clang-format on

// Runs each test on a private configuration file with the product's format
// lists and no desktop, and puts the global settings back afterwards.
class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_settings_ = g_settings;
    saved_desktop_ = primary_desktop_size();
    set_primary_desktop_size({});
    g_settings.input_format_list = input_type_list();
    g_settings.output_format_list = accepted_conversion_list();
    g_settings.config_path = folder_.file("config.ini");
  }
  void TearDown() override {
    g_settings = saved_settings_;
    set_primary_desktop_size(saved_desktop_);
  }

  // Loads g_settings from a file holding exactly these bytes.
  void load_text(std::string_view bytes) {
    folder_.write("config.ini", bytes);
    load_configuration();
  }

  std::string saved_text() {
    save_configuration();
    return read_bytes(g_settings.config_path);
  }

  // The lines of the saved file between "[group]" and its "; " line.
  std::string saved_group(std::string_view group) {
    const std::string text = saved_text();
    const std::string header = "[" + std::string(group) + "]\r\n";
    const size_t begin = text.find(header);
    if (begin == std::string::npos) return "(no group)";
    const size_t end = text.find("; \r\n", begin);
    return text.substr(begin + header.size(), end - begin - header.size());
  }

  TempFolder folder_;
  Settings saved_settings_;
  DesktopSize saved_desktop_;
};

void reset_with_fixed_dates(Settings& settings) {
  reset_settings(settings, false);
  settings.update_date = kUpdateDate;
  settings.custom_timestamp = kCustomTimestamp;
}

TEST_F(ConfigFileTest, DefaultsAreWrittenByteForByte) {
  reset_with_fixed_dates(g_settings);
  EXPECT_EQ(saved_text(), kDefaultFile);
}

TEST_F(ConfigFileTest, SavedDefaultsLoadAndSaveToTheSameBytes) {
  reset_with_fixed_dates(g_settings);
  const Settings before = g_settings;
  const std::string first = saved_text();

  g_settings.jpg_quality = 1;  // must be overwritten by the load
  reset_settings(g_settings, true);
  load_configuration();
  EXPECT_EQ(g_settings, before);
  EXPECT_EQ(saved_text(), first);
}

TEST_F(ConfigFileTest, ChangedSettingsSurviveARoundTrip) {
  reset_with_fixed_dates(g_settings);
  g_settings.language = "de";
  g_settings.image_brightness = -40;
  g_settings.image_gamma = 2.25f;
  g_settings.text = "%filename% (c) 2024%eol%second line";
  g_settings.recent_out_folders = "/a/\t/b c/";
  g_settings.tiff_compression = 6;
  g_settings.do_watermark = 2;
  g_settings.image = "/home/user/logo.png";
  g_settings.photocd_highlights = 1;
  g_settings.photocd_color_space = 2;
  const Settings before = g_settings;
  save_configuration();
  reset_settings(g_settings, false);
  load_configuration();
  EXPECT_EQ(g_settings, before);
}

TEST_F(ConfigFileTest, FormatListsChooseTheFormatKeys) {
  reset_with_fixed_dates(g_settings);
  g_settings.input_format_list = {"raw", "dds", "xyz"};
  g_settings.output_format_list = {"jpg", "gif", "exr", "nothing"};
  g_settings.input_format = "raw";
  g_settings.output_format = "jpg";
  EXPECT_EQ(saved_group("Input"),
            "Format = raw\r\n"
            "RAW Load As = 0\r\n"
            "RAW Header Size = 0\r\n"
            "RAW Image Width = 0\r\n"
            "RAW Image Height = 0\r\n"
            "RAW Tone Mapping = 2\r\n"
            "DDS Load As = 0\r\n");
  EXPECT_EQ(saved_group("Output"),
            "Format = jpg\r\n"
            "JPG BPP = 0\r\n"
            "JPG Quality = 95\r\n"
            "JPG Chroma = 0\r\n"
            "JPG Save As = 0\r\n"
            "GIF BPP = 0\r\n"
            "EXR BPP = 0\r\n"
            "EXR Compression = 0\r\n");
}

TEST_F(ConfigFileTest, EveryOutputFormatWritesItsKeys) {
  reset_with_fixed_dates(g_settings);
  g_settings.input_format_list = {"dds", "gif", "ico", "psd", "raw", "tiff"};
  g_settings.output_format_list = {"bmp", "dds", "exr", "gif",  "hdr",  "ico",  "j2k", "jng",
                                   "jp2", "jpg", "jxr", "pbm",  "pcx",  "pfm",  "pgm", "png",
                                   "ppm", "psd", "tga", "tiff", "wbmp", "webp", "xpm"};
  // With every format listed, every input and output setting is written once.
  for (const char* group : {"Input", "Output"}) {
    const std::string lines = saved_group(group);
    for (const SettingField& field : setting_fields()) {
      if (field.group != group) continue;
      const std::string line = "\r\n" + std::string(field.key) + " = ";
      const std::string text = "\r\n" + lines;
      EXPECT_NE(text.find(line), std::string::npos) << field.key;
      EXPECT_EQ(text.find(line), text.rfind(line)) << field.key;
    }
  }
}

TEST_F(ConfigFileTest, WindowKeysOnlyWithSaveWindowPosition) {
  reset_with_fixed_dates(g_settings);
  g_settings.save_window_position = 0;
  g_settings.width = 800;
  const std::string text = saved_text();
  EXPECT_NE(text.find("Save Window Position = 0\r\n; \r\n[Window]\r\n; \r\n[Interface]\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("\r\nWidth = "), std::string::npos);

  // Loading that file gives the loader's defaults for the window.
  load_configuration();
  EXPECT_EQ(g_settings.width, 510);
  EXPECT_EQ(g_settings.x, 100);
  EXPECT_EQ(g_settings.y, 100);
}

TEST_F(ConfigFileTest, VersionIsAlwaysWrittenAsCurrent) {
  reset_with_fixed_dates(g_settings);
  g_settings.cfg = 7;
  EXPECT_EQ(saved_group("General").substr(0, 10), "CFG = 19\r\n");
}

TEST_F(ConfigFileTest, DelimiterIsReadButNeverWritten) {
  load_text("[File]\r\nCsvDelimiter = ;\r\nRecent Files = a\r\n");
  EXPECT_EQ(g_settings.csv_delimiter, ";");
  EXPECT_EQ(saved_group("File"), "Recent Out Folders = \r\nRecent Files = a\r\n");
}

TEST_F(ConfigFileTest, DelimiterWordsBecomeCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"tab", "\t"},    {"TaB", "\t"},    {"TAB", "\t"}, {"space", " "},   {"Space", " "},
      {"crlf", "\r\n"}, {"CrLf", "\r\n"}, {";", ";"},    {"tabs", "tabs"}, {"", ""},
  };
  for (const auto& [word, characters] : cases) {
    load_text(std::string("[File]\r\nCsvDelimiter = ") + word + "\r\n");
    EXPECT_EQ(g_settings.csv_delimiter, characters) << word;
  }
  load_text("[File]\r\n");
  EXPECT_EQ(g_settings.csv_delimiter, ",");
}

TEST_F(ConfigFileTest, GammaIsWrittenWithSixDecimals) {
  load_text("[Adjustment]\r\nImage Gamma = 1.5\r\n");
  EXPECT_FLOAT_EQ(g_settings.image_gamma, 1.5f);
  EXPECT_NE(saved_group("Adjustment").find("Image Gamma = 1.500000\r\n"), std::string::npos);

  g_settings.image_gamma = 0.01f;
  EXPECT_NE(saved_group("Adjustment").find("Image Gamma = 0.010000\r\n"), std::string::npos);
  g_settings.image_gamma = -2.5f;
  EXPECT_NE(saved_group("Adjustment").find("Image Gamma = -2.500000\r\n"), std::string::npos);
}

TEST_F(ConfigFileTest, GammaInfinitiesAndNotANumberRoundTrip) {
  struct Case {
    float value;
    const char* line;
  };
  const Case cases[] = {
      {std::numeric_limits<float>::infinity(), "Image Gamma = +Infinity\r\n"},
      {-std::numeric_limits<float>::infinity(), "Image Gamma = -Infinity\r\n"},
      {std::numeric_limits<float>::quiet_NaN(), "Image Gamma = NaN\r\n"},
  };
  for (const Case& c : cases) {
    reset_settings(g_settings, false);
    g_settings.image_gamma = c.value;
    EXPECT_NE(saved_group("Adjustment").find(c.line), std::string::npos) << c.line;
    g_settings.image_gamma = 1.0f;
    load_configuration();
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(g_settings.image_gamma));
    } else {
      EXPECT_EQ(g_settings.image_gamma, c.value);
    }
  }
  load_text("[Adjustment]\r\nImage Gamma = -infinity\r\n");
  EXPECT_EQ(g_settings.image_gamma, -std::numeric_limits<float>::infinity());
}

TEST_F(ConfigFileTest, FileWithoutVersionIsUpgradedFromVersionZero) {
  load_text(
      "[Input]\r\nRAW Load As = 3\r\nPSD Color Model = 2\r\n"
      "[Output]\r\nTIFF Color Model = 1\r\n"
      "[Advanced]\r\nFilename Mask = %filename%\r\n");
  EXPECT_EQ(g_settings.cfg, 0);
  EXPECT_EQ(g_settings.filename_mask, "%filename%.%ext%");
  EXPECT_EQ(g_settings.raw_load_as, 5);
  EXPECT_EQ(g_settings.psd_color_mode, 2);
  EXPECT_EQ(g_settings.tiff_color_mode, 1);
}

TEST_F(ConfigFileTest, UpgradesLeaveWhatNeedsNoChange) {
  // A mask that has "%ext%" already, a RAW mode of 0, old keys of 0.
  load_text(
      "[Input]\r\nRAW Load As = 0\r\nPSD Color Mode = 1\r\nPSD Color Model = 0\r\n"
      "[Output]\r\nTIFF Color Mode = 2\r\n"
      "[Advanced]\r\nFilename Mask = %ext%-%filename%\r\n");
  EXPECT_EQ(g_settings.filename_mask, "%ext%-%filename%");
  EXPECT_EQ(g_settings.raw_load_as, 0);
  EXPECT_EQ(g_settings.psd_color_mode, 1);
  EXPECT_EQ(g_settings.tiff_color_mode, 2);
}

TEST_F(ConfigFileTest, EachUpgradeAppliesBelowItsVersion) {
  const std::string body =
      "[Input]\r\nRAW Load As = 1\r\nPSD Color Model = 2\r\n"
      "[Advanced]\r\nFilename Mask = name\r\n";
  struct Case {
    int version;
    const char* mask;
    int raw;
    int psd;
  };
  const Case cases[] = {{10, "name.%ext%", 3, 2}, {11, "name", 3, 2}, {13, "name", 3, 2},
                        {14, "name", 1, 2},       {18, "name", 1, 2}, {19, "name", 1, 0},
                        {25, "name", 1, 0}};
  for (const Case& c : cases) {
    load_text("[General]\r\nCFG = " + std::to_string(c.version) + "\r\n" + body);
    EXPECT_EQ(g_settings.cfg, c.version);
    EXPECT_EQ(g_settings.filename_mask, c.mask) << c.version;
    EXPECT_EQ(g_settings.raw_load_as, c.raw) << c.version;
    EXPECT_EQ(g_settings.psd_color_mode, c.psd) << c.version;
  }
}

TEST_F(ConfigFileTest, UpgradeOfTheLargestRawModeDoesNotOverflow) {
  load_text("[Input]\r\nRAW Load As = 2147483647\r\n");
  EXPECT_EQ(g_settings.raw_load_as, std::numeric_limits<int32_t>::max());
}

TEST_F(ConfigFileTest, GroupsAndKeysMatchInAnyCase) {
  load_text(
      "[general]\r\ncfg = 7\r\n[WINDOW]\r\nx = 5\r\nwIdTh = 640\r\n[advanced]\r\nFILENAME MASK = "
      "a.%ext%\r\n");
  EXPECT_EQ(g_settings.cfg, 7);
  EXPECT_EQ(g_settings.x, 5);
  EXPECT_EQ(g_settings.width, 640);
  EXPECT_EQ(g_settings.filename_mask, "a.%ext%");
}

TEST_F(ConfigFileTest, KeysAreFoundOnlyInTheirOwnGroup) {
  load_text(
      "Width = 1\r\n"  // before any group
      "[General]\r\nWidth = 2\r\n"
      "[Window]\r\n"
      "[Interface]\r\nHeight = 3\r\n"
      "[Transform]\r\nImage Rotation = 45\r\n"
      "[Watermark]\r\nImage Rotation = 90\r\n");
  EXPECT_EQ(g_settings.width, 510);
  EXPECT_EQ(g_settings.height, 260);
  EXPECT_EQ(g_settings.image_rotation, 45);
  EXPECT_EQ(g_settings.watermark_image_rotation, 90);
}

TEST_F(ConfigFileTest, ValuesAreTrimmedOfBlanksAndTabs) {
  load_text(
      "[Output]\r\nJPG Quality = \t 80 \t\r\n"
      "[Watermark]\r\nFont =   Verdana\t\r\nText =  two  words  \r\n");
  EXPECT_EQ(g_settings.jpg_quality, 80);
  EXPECT_EQ(g_settings.font, "Verdana");
  EXPECT_EQ(g_settings.text, "two  words");
}

TEST_F(ConfigFileTest, IntegersAreReadLikeAtoi) {
  const std::pair<const char*, int32_t> cases[] = {
      {"80abc", 80},
      {"abc", 0},
      {"-5", -5},
      {"+7", 7},
      {"", 0},
      {"$10", 0},
      {"0x10", 0},
      {"1.9", 1},
      {"- 5", 0},
      {"99999999999", std::numeric_limits<int32_t>::max()},
      {"-99999999999", std::numeric_limits<int32_t>::min()},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
  };
  for (const auto& [value, expected] : cases) {
    load_text(std::string("[Output]\r\nJPG Quality = ") + value + "\r\n");
    EXPECT_EQ(g_settings.jpg_quality, expected) << value;
  }
}

TEST_F(ConfigFileTest, ByteSettingsKeepTheLowByte) {
  load_text(
      "[General]\r\nSave Window Position = 257\r\n[Transform]\r\nImage Resize Algorithm = 260\r\n");
  EXPECT_EQ(g_settings.save_window_position, 1);
  EXPECT_EQ(g_settings.image_resize_algorithm, 4);
}

TEST(ConfigurationIntegerTest, SkipsCWhiteSpaceAndClamps) {
  EXPECT_EQ(parse_configuration_integer(" \t\r\n\v\f42"), 42);
  EXPECT_EQ(parse_configuration_integer(std::string(5000, '9')),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(parse_configuration_integer("-" + std::string(5000, '9')),
            std::numeric_limits<int32_t>::min());
  EXPECT_EQ(parse_configuration_integer("2147483648"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(parse_configuration_integer("-2147483649"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(parse_configuration_integer("+"), 0);
  EXPECT_EQ(parse_configuration_integer("--1"), 0);
}

TEST_F(ConfigFileTest, ReadableFileWithoutKeysTakesTheLoaderDefaults) {
  set_primary_desktop_size({1024, 768});
  load_text("");
  EXPECT_EQ(g_settings.cfg, 0);
  EXPECT_EQ(g_settings.x, 100);
  EXPECT_EQ(g_settings.y, 100);
  EXPECT_EQ(g_settings.keep_aspect_ratio, 1);
  EXPECT_EQ(g_settings.input_format, "pcd");
  EXPECT_EQ(g_settings.output_format, "tiff");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.image_gamma, 1.0f);
  // Version 0: the default mask has "%ext%" already and stays as it is.
  EXPECT_EQ(g_settings.filename_mask, "%filename%.%ext%");
}

TEST_F(ConfigFileTest, MissingFileGivesTheWindowedDefaults) {
  set_primary_desktop_size({1024, 768});
  g_settings.jpg_quality = 1;
  g_settings.keep_aspect_ratio = 0;
  load_configuration();
  EXPECT_EQ(g_settings.cfg, 19);
  EXPECT_EQ(g_settings.keep_aspect_ratio, 1);
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.x, 257);
  EXPECT_EQ(g_settings.y, 254);
  EXPECT_EQ(g_settings.csv_delimiter, ",");

  // A folder where the file should be is no more readable than nothing.
  std::filesystem::create_directory(g_settings.config_path);
  g_settings.jpg_quality = 1;
  load_configuration();
  EXPECT_EQ(g_settings.jpg_quality, 95);
}

TEST_F(ConfigFileTest, RunTimeFieldsSurviveTheLoad) {
  g_settings.lock_handle = 42;
  load_text("[Output]\r\nJPG Quality = 50\r\n");
  EXPECT_EQ(g_settings.lock_handle, 42);
  EXPECT_EQ(g_settings.config_path, folder_.file("config.ini"));
  EXPECT_EQ(g_settings.input_format_list, input_type_list());
}

TEST_F(ConfigFileTest, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  folder_.write("config.ini", "old contents that are longer than nothing");
  reset_with_fixed_dates(g_settings);
  EXPECT_TRUE(save_configuration());
  EXPECT_EQ(read_bytes(g_settings.config_path), kDefaultFile);
  EXPECT_TRUE(save_configuration());
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"config.ini"});
}

TEST_F(ConfigFileTest, UnwritableTargetIsSkippedAndReportedToTheCaller) {
  reset_with_fixed_dates(g_settings);
  // The path names a folder: the new file cannot take its place.
  g_settings.config_path = folder_.file("taken");
  std::filesystem::create_directory(g_settings.config_path);
  EXPECT_FALSE(save_configuration());
  EXPECT_TRUE(std::filesystem::is_directory(g_settings.config_path));
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"taken"});

  // A folder that does not exist.
  g_settings.config_path = folder_.file("missing/config.ini");
  EXPECT_FALSE(save_configuration());
  EXPECT_FALSE(std::filesystem::exists(folder_.file("missing")));

  g_settings.config_path.clear();
  EXPECT_FALSE(save_configuration());
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"taken"});
}

TEST_F(ConfigFileTest, LineBreaksInsideValuesDoNotSplitTheirLine) {
  reset_with_fixed_dates(g_settings);
  g_settings.recent_out_folders = "/odd\r\n[General]\nCFG = 3/";
  const std::string text = saved_text();
  EXPECT_NE(text.find("Recent Out Folders = /odd  [General] CFG = 3/\r\n"), std::string::npos);
  load_configuration();
  EXPECT_EQ(g_settings.cfg, 19);
  EXPECT_EQ(g_settings.recent_out_folders, "/odd  [General] CFG = 3/");
}

TEST_F(ConfigFileTest, ConfigurationPathIsInTheConfigurationFolder) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  setenv("XDG_CONFIG_HOME", folder_.folder().c_str(), 1);
  set_configuration_path();
  EXPECT_EQ(g_settings.config_path, folder_.folder() + "Varnelo/pixmera/config.ini");
  EXPECT_TRUE(std::filesystem::is_directory(folder_.folder() + "Varnelo/pixmera"));
  if (old != nullptr) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

// Damaged files: whatever can be read is taken, the rest keeps its default,
// and the loaded settings are written and read back unchanged.
class DamagedConfigTest : public ConfigFileTest {
 protected:
  void expect_stable_after_load() {
    const std::string first = saved_text();
    load_configuration();
    EXPECT_EQ(saved_text(), first);
  }
};

TEST_F(DamagedConfigTest, BinaryGarbage) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(4096, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    load_text(bytes);
    expect_stable_after_load();
  }
}

TEST_F(DamagedConfigTest, NulBytes) {
  const std::string nul(1, '\0');
  load_text("[Output]\r\nJPG Quality = 80\r\n" + nul + nul + nul + "\r\nWEBP Quality = 70\r\n" +
            "[Watermark]\r\nFont = Ar" + nul + "ial\r\n");
  EXPECT_EQ(g_settings.jpg_quality, 80);
  EXPECT_EQ(g_settings.webp_quality, 70);
  EXPECT_EQ(g_settings.font, std::string("Ar\0ial", 6));
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, NoLineEnds) {
  load_text("[Output]JPG Quality = 80 WEBP Quality = 70");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.webp_quality, 100);
  load_text("JPG Quality = 80");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, MegabyteLines) {
  const std::string long_text(1 << 20, 'x');
  load_text("[Watermark]\r\nText = " + long_text + "\r\n" + std::string(1 << 20, ' ') +
            "\r\nFont = Verdana\r\n" + long_text + "=" + long_text + "\r\n");
  EXPECT_EQ(g_settings.text, long_text);
  EXPECT_EQ(g_settings.font, "Verdana");
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, ByteOrderMarkInTheMiddle) {
  load_text("\xEF\xBB\xBF[Output]\r\n\xEF\xBB\xBFJPG Quality = 80\r\nWEBP Quality = 70\r\n");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.webp_quality, 70);
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, DuplicateGroupsAndKeysTakeTheFirst) {
  load_text(
      "[Output]\r\nJPG Quality = 80\r\nJPG Quality = 70\r\n"
      "[Output]\r\nJPG Quality = 60\r\nWEBP Quality = 50\r\n");
  EXPECT_EQ(g_settings.jpg_quality, 80);
  EXPECT_EQ(g_settings.webp_quality, 100);
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, CarriageReturnAndLineFeedOnlyLineEnds) {
  load_text("[Output]\rJPG Quality = 80\rWEBP Quality = 70\r[Adjustment]\rImage Gamma = 2\r");
  EXPECT_EQ(g_settings.jpg_quality, 80);
  EXPECT_EQ(g_settings.webp_quality, 70);
  EXPECT_EQ(g_settings.image_gamma, 2.0f);
  load_text("[Output]\nJPG Quality = 81\n\n\nWEBP Quality = 71");
  EXPECT_EQ(g_settings.jpg_quality, 81);
  EXPECT_EQ(g_settings.webp_quality, 71);
  expect_stable_after_load();
}

TEST_F(DamagedConfigTest, MalformedLines) {
  load_text(
      "[Output\r\nJPG Quality = 10\r\n"  // not a group line: the key has no group
      "[]\r\n= 5\r\nnonsense\r\n"
      "[Output] trailing\r\nJPG Quality\r\nWEBP Quality == 7\r\n"
      "[Adjustment]\r\nImage Gamma = 1,5\r\nImage Brightness = -\r\n");
  EXPECT_EQ(g_settings.jpg_quality, 95);
  EXPECT_EQ(g_settings.webp_quality, 0);
  EXPECT_EQ(g_settings.image_gamma, 0.0f);
  EXPECT_EQ(g_settings.image_brightness, 0);
  expect_stable_after_load();
}

// Inputs that once broke the reader, kept so that they never do again.
TEST_F(DamagedConfigTest, RegressionInputs) {
  const std::filesystem::path folder =
      std::filesystem::path(PIXMERA_TEST_DATA) / "settings" / "regress";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    SCOPED_TRACE(entry.path().filename().string());
    load_text(read_bytes(entry.path().string()));
    expect_stable_after_load();
    ++count;
  }
  EXPECT_GT(count, 0u) << "no regression inputs kept in " << folder;
}

}  // namespace
}  // namespace pixmera
