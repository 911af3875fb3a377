#include "pipeline/format_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "settings/catalogue.h"
#include "settings/product.h"

namespace pixmera {
namespace {

class InputFormatTable : public ::testing::Test {
 protected:
  void SetUp() override { build_input_format_table(); }
};

TEST_F(InputFormatTable, HoldsEveryExtensionOnceInSixteenFamilies) {
  const auto& table = input_format_table();
  ASSERT_EQ(table.size(), 79u);
  std::set<std::string> extensions;
  std::set<std::string> families;
  for (const InputFormat& format : table) {
    extensions.insert(format.extension);
    families.insert(format.family);
    EXPECT_FALSE(format.description.empty()) << format.extension;
  }
  EXPECT_EQ(extensions.size(), 79u);
  EXPECT_EQ(families,
            (std::set<std::string>{"bmp", "dds", "emf", "gif", "hdr", "ico", "jpg", "pcd", "pcx",
                                   "pic", "png", "psd", "tga", "tiff", "wmf", "raw"}));

  // Building again starts over instead of appending.
  build_input_format_table();
  EXPECT_EQ(input_format_table().size(), 79u);
}

TEST_F(InputFormatTable, KeepsInsertionOrder) {
  const auto& table = input_format_table();
  std::vector<std::string> order;
  for (const InputFormat& format : table) order.push_back(format.extension);
  EXPECT_EQ(order.front(), "bmp");
  EXPECT_EQ(order.back(), "rwl");
  const std::vector<std::string> middle{"tiff", "tif", "wmf", "wmz", "apm", "raw", "raw1"};
  const auto at = std::search(order.begin(), order.end(), middle.begin(), middle.end());
  EXPECT_NE(at, order.end());
  const std::vector<std::string> kodak{"dc2", "dcr", "drf", "dsc", "k25", "kc2", "kdc", "dcs"};
  EXPECT_NE(std::search(order.begin(), order.end(), kodak.begin(), kodak.end()), order.end());
}

TEST_F(InputFormatTable, FamilyIsTheKeyOfItsFirstExtension) {
  for (const InputFormat& format : input_format_table()) {
    const auto first =
        std::find_if(input_format_table().begin(), input_format_table().end(),
                     [&](const InputFormat& f) { return f.family == format.family; });
    EXPECT_EQ(first->extension, format.family) << format.extension;
  }
}

TEST_F(InputFormatTable, LooksUpFamilyAndDescription) {
  struct Expected {
    const char* extension;
    const char* family;
    const char* description;
  };
  const Expected cases[] = {
      {"rle", "bmp", "Windows or OS/2 Bitmap"},
      {"pcds", "pcd", "Kodak PhotoCD File"},
      {"wmz", "wmf", "Windows Metafile Format"},
      {"apm", "wmf", "Aldus Placeable Metafile"},
      {"raw2", "raw", "Camera RAW Image"},
      {"crw", "raw", "Canon Camera RAW Image"},
      {"dcs", "raw", "Kodak Camera RAW Image"},
      {"sti", "raw", "Sinar RAW Image"},
      {"rwl", "raw", "Leica Camera RAW Image"},
      {"targa", "tga", "Truevision Targa"},
      {"jif", "jpg", "JPEG File"},
  };
  for (const Expected& e : cases) {
    const InputFormat* format = find_input_format(e.extension);
    ASSERT_NE(format, nullptr) << e.extension;
    EXPECT_EQ(format->family, e.family) << e.extension;
    EXPECT_EQ(format->description, e.description) << e.extension;
  }
  EXPECT_EQ(find_input_format("PCD"), nullptr);
  EXPECT_EQ(find_input_format("webp"), nullptr);
  EXPECT_EQ(find_input_format(""), nullptr);
}

TEST_F(InputFormatTable, AcceptsTheExtensionsOfTheInputTypes) {
  EXPECT_EQ(accepted_input_extensions(), (std::vector<std::string>{"pcd", "pcd1", "pcds", "ppcd"}));
  // The list follows the input types, not a copy of the product's answer.
  std::vector<std::string> derived;
  for (const std::string& type : input_type_list()) {
    for (const InputFormat& format : input_format_table()) {
      if (format.family == type) derived.push_back(format.extension);
    }
  }
  EXPECT_EQ(accepted_input_extensions(), derived);

  EXPECT_TRUE(is_accepted_input_extension("pcd"));
  EXPECT_TRUE(is_accepted_input_extension("ppcd"));
  EXPECT_FALSE(is_accepted_input_extension("PCD"));  // callers lower-case first
  EXPECT_FALSE(is_accepted_input_extension("tif"));
  EXPECT_FALSE(is_accepted_input_extension("jpg"));
  EXPECT_FALSE(is_accepted_input_extension(""));
  EXPECT_FALSE(is_accepted_input_extension("pcd "));
}

TEST_F(InputFormatTable, OpenFileFilterForThisProduct) {
  build_catalogue();
  const std::string patterns = "*.pcd;*.pcd1;*.pcds;*.ppcd";
  const std::string expected = catalogue_text("Dialog", "All Supported Files") + "|" + patterns +
                               "|Kodak PhotoCD File|" + patterns + "|" +
                               catalogue_text("Dialog", "All Files") + " (*.*)|*.*";
  EXPECT_EQ(open_file_filter(), expected);
  EXPECT_EQ(open_file_filter(),
            "All Supported Files|*.pcd;*.pcd1;*.pcds;*.ppcd|Kodak PhotoCD File|"
            "*.pcd;*.pcd1;*.pcds;*.ppcd|All Files (*.*)|*.*");
}

class OutputFormatTable : public ::testing::Test {
 protected:
  void SetUp() override { build_output_format_table(); }

  static std::vector<int32_t> accepted_depths(std::string_view extension) {
    std::vector<int32_t> accepted;
    for (int32_t bpp = -128; bpp <= 128; ++bpp) {
      if (is_allowed_bpp(extension, bpp)) accepted.push_back(bpp);
    }
    return accepted;
  }
};

TEST_F(OutputFormatTable, HoldsTwentyRowsInOrder) {
  std::vector<std::string> order;
  for (const OutputFormat& format : output_format_table()) order.push_back(format.extension);
  EXPECT_EQ(order, (std::vector<std::string>{"bmp", "exr", "gif",  "hdr",  "ico",  "j2k", "jng",
                                             "jp2", "jpg", "jxr",  "pbm",  "pfm",  "pgm", "png",
                                             "ppm", "tga", "tiff", "wbmp", "webp", "xpm"}));
  build_output_format_table();
  EXPECT_EQ(output_format_table().size(), 20u);
}

TEST_F(OutputFormatTable, CarriesFreeImageIdentifiers) {
  const std::pair<const char*, int32_t> ids[] = {
      {"bmp", 0},  {"ico", 1},  {"jpg", 2},   {"jng", 3},   {"pbm", 7},   {"pgm", 11}, {"png", 13},
      {"ppm", 14}, {"tga", 17}, {"tiff", 18}, {"wbmp", 19}, {"xpm", 23},  {"gif", 25}, {"hdr", 26},
      {"exr", 29}, {"j2k", 30}, {"jp2", 31},  {"pfm", 32},  {"webp", 35}, {"jxr", 36}};
  for (const auto& [extension, id] : ids) EXPECT_EQ(output_format_id(extension), id) << extension;
  EXPECT_EQ(output_format_id("dds"), -1);
  EXPECT_EQ(output_format_id("TIFF"), -1);
  ASSERT_NE(find_output_format("webp"), nullptr);
  EXPECT_EQ(find_output_format("webp")->description, "Google WebP Image Format");
  EXPECT_EQ(allowed_bpp_of("tiff"), "1,4,8,24,32,48,96");
  EXPECT_EQ(allowed_bpp_of("bmp"), "1,4,8,16,24,32");
  EXPECT_EQ(allowed_bpp_of("psd"), "");
}

TEST_F(OutputFormatTable, ChecksBitDepthsAgainstTheRow) {
  EXPECT_EQ(accepted_depths("tiff"), (std::vector<int32_t>{0, 1, 4, 8, 24, 32, 48, 96}));
  EXPECT_FALSE(is_allowed_bpp("tiff", 16));
  EXPECT_FALSE(is_allowed_bpp("tiff", -8));
  EXPECT_EQ(accepted_depths("gif"), (std::vector<int32_t>{0, 8}));
  EXPECT_EQ(accepted_depths("pbm"), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(accepted_depths("wbmp"), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(accepted_depths("bmp"), (std::vector<int32_t>{0, 1, 4, 8, 16, 24, 32}));
  EXPECT_EQ(accepted_depths("jxr"), (std::vector<int32_t>{0, 1, 8, 16, 24, 32, 48, 96}));
  EXPECT_FALSE(is_allowed_bpp("tiff", 960));  // "96" is a whole field, not a prefix
}

TEST_F(OutputFormatTable, TypesWithoutARowAcceptOnlyZero) {
  for (const char* extension : {"dds", "pcx", "psd", "TIFF", ""}) {
    EXPECT_EQ(accepted_depths(extension), (std::vector<int32_t>{0})) << extension;
  }
}

TEST_F(OutputFormatTable, NegativeDepthsAreNeverValid) {
  for (const OutputFormat& format : output_format_table()) {
    for (int32_t bpp : {-1, -8, -24, -96, INT32_MIN}) {
      EXPECT_FALSE(is_allowed_bpp(format.extension, bpp)) << format.extension << " " << bpp;
    }
  }
}

}  // namespace
}  // namespace pixmera
