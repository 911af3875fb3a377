#include "photocd/convert/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace pixmera::photocd {
namespace {

std::optional<ConvertRequest> parse(std::vector<std::string_view> arguments) {
  return parse_convert_arguments(arguments);
}

TEST(ConvertCommandLine, AcceptsOnlyTheConversionStepsVectors) {
  const auto full = parse(
      {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft", "/in/IMG0001.PCD[5]", "/t/x.tga"});
  ASSERT_TRUE(full);
  EXPECT_EQ(full->input_path, "/in/IMG0001.PCD");
  EXPECT_EQ(full->index, 5u);
  EXPECT_EQ(full->output_path, "/t/x.tga");
  const auto short_form = parse({"-quiet", "-colorspace", "sRGB", "/in/a.pcd", "/t/x.TGA"});
  ASSERT_TRUE(short_form);
  EXPECT_FALSE(short_form->index);
  EXPECT_FALSE(short_form->sixteen_bits);
  for (const auto& deep :
       {parse({"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft", "-depth", "16",
               "/in/a.pcd[5]", "/t/x.ppm"}),
        parse({"-quiet", "-colorspace", "sRGB", "-depth", "16", "/in/a.pcd[5]", "/t/x.PPM"})}) {
    ASSERT_TRUE(deep);
    EXPECT_TRUE(deep->sixteen_bits);
    EXPECT_EQ(deep->index, 5u);
  }

  // Our own colour words, after the depth, in this order; floats to a PFM.
  const auto coloured = parse({"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft", "-depth",
                               "32", "-photocd-highlights", "ROLLOFF", "-photocd-color-space",
                               "ADOBE_RGB", "a.pcd[5]", "x.pfm"});
  ASSERT_TRUE(coloured);
  EXPECT_TRUE(coloured->float_samples);
  EXPECT_EQ(coloured->colour, (ColourChoice{ColourSpace::adobe_rgb, Highlights::rolloff}));
  const auto space_only =
      parse({"-quiet", "-colorspace", "sRGB", "-photocd-color-space", "LINEAR", "a.pcd", "x.tga"});
  ASSERT_TRUE(space_only);
  EXPECT_EQ(space_only->colour, (ColourChoice{ColourSpace::linear, Highlights::clip}));
  EXPECT_EQ(short_form->colour, ColourChoice{});

  const std::vector<std::vector<std::string_view>> bad{
      {"-quiet", "-colorspace", "sRGB", "-photocd-color-space", "prophoto", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-photocd-highlights", "SOFT", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-photocd-color-space", "SRGB", "-photocd-highlights",
       "CLIP", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-photocd-highlights", "-depth", "16", "a.pcd", "b.ppm"},
      {"-quiet", "-colorspace", "sRGB", "-depth", "32", "a.pcd", "b.ppm"},
      {},
      {"-quiet", "-colorspace", "sRGB", "a.pcd"},
      {"-colorspace", "sRGB", "-quiet", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "srgb", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-orient", "BottomLeft", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-resize", "50%", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-orient", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "a.pcd", "b.png"},
      {"-quiet", "-colorspace", "sRGB", "a.pcd", ".tga"},
      {"-quiet", "-colorspace", "sRGB", "", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "-depth", "8", "a.pcd", "b.ppm"},
      {"-quiet", "-colorspace", "sRGB", "-depth", "16", "-orient", "TopLeft", "a.pcd", "b.ppm"},
      {"-quiet", "-colorspace", "sRGB", "-depth", "16", "a.pcd", "b.tga"},
      {"-quiet", "-colorspace", "sRGB", "a.pcd", "b.ppm"},
  };
  for (const auto& arguments : bad)
    EXPECT_FALSE(parse(arguments)) << arguments.size() << " arguments";
}

TEST(ConvertCommandLine, OnlyATrailingDigitIndexIsTaken) {
  struct Case {
    std::string_view argument;
    std::string_view path;
    std::optional<std::uint64_t> index;
  };
  const std::vector<Case> cases{
      {"a.pcd[007]", "a.pcd", 7},
      {"/photos[1]/b[2].pcd", "/photos[1]/b[2].pcd", std::nullopt},
      {"/photos[1]/b[2].pcd[4]", "/photos[1]/b[2].pcd", 4},
      {"a[3][5]", "a[3]", 5},
      {"a.pcd[]", "a.pcd[]", std::nullopt},
      {"a.pcd[-1]", "a.pcd[-1]", std::nullopt},
      {"a.pcd[1]x", "a.pcd[1]x", std::nullopt},
      {"[3]", "[3]", std::nullopt},
      {"a.pcd[99999999999999999999999]", "a.pcd", UINT64_MAX},
  };
  for (const Case& c : cases) {
    std::string path;
    std::optional<std::uint64_t> index;
    split_sub_image_index(c.argument, path, index);
    EXPECT_EQ(path, c.path) << c.argument;
    EXPECT_EQ(index, c.index) << c.argument;
  }
}

}  // namespace
}  // namespace pixmera::photocd
