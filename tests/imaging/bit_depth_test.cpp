// Colour depth conversion, save flags and the pieces of the per-file step
// that can be checked without running a converter.
#include <gtest/gtest.h>

#include "imaging/convert_file.h"
#include "imaging/operations.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "settings/settings.h"

namespace pixmera {
namespace {

class BitDepth : public testing::Test {
 protected:
  void SetUp() override {
    build_output_format_table();
    g_current_file = CurrentFile{};
  }

  // A 24-bit gradient picture with many colours.
  static Image picture24(int width = 64, int height = 48) {
    Image picture = adopt(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
      BYTE* row = FreeImage_GetScanLine(picture.get(), y);
      for (int x = 0; x < width; ++x) {
        row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x * 4);
        row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(y * 5);
        row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x + y) * 2);
      }
    }
    return picture;
  }

  static Image convert(Image picture, std::string_view extension, int32_t bpp) {
    g_current_file.conversion_type = std::string(extension);
    g_current_file.output_bpp = bpp;
    g_current_file.automatic_depth = bpp == 0 ? 1 : 0;
    g_current_file.source_bpp = static_cast<int32_t>(bpp_of(picture));
    return convert_bit_depth(std::move(picture));
  }
};

TEST_F(BitDepth, AutomaticDepthIsTheFirstAllowedDepthLargeEnough) {
  EXPECT_EQ(choose_automatic_depth("bmp", 24), 24);   // "1,4,8,16,24,32"
  EXPECT_EQ(choose_automatic_depth("bmp", 48), 32);   // none is large enough: the last
  EXPECT_EQ(choose_automatic_depth("jpg", 1), 8);     // "8,24"
  EXPECT_EQ(choose_automatic_depth("tiff", 24), 24);  // "1,4,8,24,32,48,96"
  EXPECT_EQ(choose_automatic_depth("tiff", 16), 24);
  EXPECT_EQ(choose_automatic_depth("exr", 8), 96);
  EXPECT_EQ(choose_automatic_depth("tiff", 128), 96);
}

TEST_F(BitDepth, SameDepthKeepsTheSamePicture) {
  Image picture = picture24();
  FIBITMAP* before = picture.get();
  Image result = convert(std::move(picture), "tiff", 24);
  EXPECT_EQ(result.get(), before);
  // Automatic depth of a 24-bit picture for TIFF is 24 as well.
  result = convert(std::move(result), "tiff", 0);
  EXPECT_EQ(result.get(), before);
  EXPECT_EQ(g_current_file.output_bpp, 24);
}

TEST_F(BitDepth, EightBitsArePaletteOrGreyByFormat) {
  const Image png = convert(picture24(), "png", 8);
  ASSERT_TRUE(png);
  EXPECT_EQ(bpp_of(png), 8u);
  EXPECT_EQ(FreeImage_GetColorType(png.get()), FIC_PALETTE);  // Wu quantisation

  const Image jpg = convert(picture24(), "jpg", 8);
  ASSERT_TRUE(jpg);
  EXPECT_EQ(bpp_of(jpg), 8u);
  EXPECT_EQ(FreeImage_GetColorType(jpg.get()), FIC_MINISBLACK);  // greyscale

  // A 32-bit picture for an 8-bit GIF goes through 24 bits, then the palette.
  const Image gif = convert(adopt(FreeImage_ConvertTo32Bits(picture24().get())), "gif", 8);
  ASSERT_TRUE(gif);
  EXPECT_EQ(FreeImage_GetColorType(gif.get()), FIC_PALETTE);
}

TEST_F(BitDepth, SixteenBitsAre555ForIconsAndTargaElse565) {
  const Image deep = adopt(FreeImage_ConvertToRGB16(picture24().get()));
  ASSERT_EQ(bpp_of(deep), 48u);
  const Image tga = convert(adopt(FreeImage_Clone(deep.get())), "tga", 16);
  ASSERT_TRUE(tga);
  EXPECT_EQ(bpp_of(tga), 16u);
  EXPECT_EQ(FreeImage_GetGreenMask(tga.get()), static_cast<unsigned>(FI16_555_GREEN_MASK));

  const Image bmp = convert(adopt(FreeImage_Clone(deep.get())), "bmp", 16);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(FreeImage_GetGreenMask(bmp.get()), static_cast<unsigned>(FI16_565_GREEN_MASK));
}

TEST_F(BitDepth, EveryTargetDepthIsReached) {
  for (int32_t target : {1, 4, 8, 24, 32, 48, 96}) {
    const Image result = convert(picture24(), "tiff", target);
    ASSERT_TRUE(result) << target;
    EXPECT_EQ(static_cast<int32_t>(bpp_of(result)), target);
  }
}

TEST_F(BitDepth, UnknownDepthFailsTheFile) {
  EXPECT_FALSE(convert(picture24(), "tiff", 12));
  EXPECT_FALSE(convert(picture24(), "tiff", -8));
  EXPECT_FALSE(convert(Image(), "tiff", 24));
}

TEST(SaveFlags, FollowTheFormatSettings) {
  reset_settings(g_settings, true);
  g_settings.jpg_quality = 90;
  g_settings.jpg_chroma = 2;
  g_settings.jpg_save_as = 3;
  EXPECT_EQ(compute_save_flags("jpg"), 0x605A);
  g_settings.jpg_chroma = 7;  // outside the list: the quality alone
  g_settings.jpg_save_as = 0;
  EXPECT_EQ(compute_save_flags("jpg"), 90);

  g_settings.webp_quality = 100;
  EXPECT_EQ(compute_save_flags("webp"), 0x0100);
  g_settings.webp_quality = 80;
  EXPECT_EQ(compute_save_flags("webp"), 80);

  g_settings.tiff_compression = 6;
  g_settings.tiff_color_mode = 1;
  EXPECT_EQ(compute_save_flags("tiff"), 0x4001);
  g_settings.tiff_compression = 0;
  g_settings.tiff_color_mode = 0;
  EXPECT_EQ(compute_save_flags("tiff"), 0x0800);
  g_settings.tiff_compression = 99;
  EXPECT_EQ(compute_save_flags("tiff"), 0);

  g_settings.png_compression = 3;
  g_settings.png_interlaced = 1;
  EXPECT_EQ(compute_save_flags("png"), 9 | 0x0200);
  g_settings.exr_compression = 4;
  EXPECT_EQ(compute_save_flags("exr"), 0x0020);
  g_settings.bmp_compression = 1;
  EXPECT_EQ(compute_save_flags("bmp"), 1);
  g_settings.tga_compression = 1;
  EXPECT_EQ(compute_save_flags("tga"), 2);
  EXPECT_EQ(compute_save_flags("jxr"), 100);
  EXPECT_EQ(compute_save_flags("gif"), 0);
  EXPECT_EQ(compute_save_flags("nothing"), 0);
  reset_settings(g_settings, true);
}

TEST(SecondConversion, AsksForTheLevelOfTheShortSide) {
  EXPECT_EQ(second_conversion_index(3072, 1024), 4);  // ratio 3.0
  EXPECT_EQ(second_conversion_index(6144, 2048), 5);
  EXPECT_EQ(second_conversion_index(2048, 4000), 5);  // portrait, ratio 1.95
  EXPECT_EQ(second_conversion_index(1024, 512), 3);
  EXPECT_EQ(second_conversion_index(3072, 2048), -1);  // ratio 1.5
  EXPECT_EQ(second_conversion_index(1600, 1000), -1);  // exactly 1.6
  EXPECT_EQ(second_conversion_index(3000, 1000), -1);  // no level of that size
  EXPECT_EQ(second_conversion_index(0, 0), -1);
}

TEST(Resolution, InchesBecomeMetres) {
  EXPECT_EQ(dots_per_metre(300), 11811);
  EXPECT_EQ(dots_per_metre(72), 2835);
  EXPECT_EQ(dots_per_metre(0), 0);
  EXPECT_EQ(dots_per_metre(4294967295.0), 2147483647);  // held in range
}

}  // namespace
}  // namespace pixmera

namespace pixmera {
namespace {

TEST(Resolution, ExifOverridesTheLoaderPerAxis) {
  Image picture = adopt(FreeImage_Allocate(8, 8, 24));
  FreeImage_SetDotsPerMeterX(picture.get(), 1000);
  FreeImage_SetDotsPerMeterY(picture.get(), 2000);
  Resolution resolution = read_resolution(picture.get());
  EXPECT_EQ(resolution.x, 1000u);
  EXPECT_EQ(resolution.y, 2000u);

  // An EXIF "XResolution" of 300/1 per inch; no "YResolution".
  FITAG* tag = FreeImage_CreateTag();
  const DWORD value[2] = {300, 1};
  FreeImage_SetTagKey(tag, "XResolution");
  FreeImage_SetTagType(tag, FIDT_RATIONAL);
  FreeImage_SetTagCount(tag, 1);
  FreeImage_SetTagLength(tag, sizeof value);
  FreeImage_SetTagValue(tag, value);
  FreeImage_SetMetadata(FIMD_EXIF_MAIN, picture.get(), "XResolution", tag);
  FreeImage_DeleteTag(tag);
  resolution = read_resolution(picture.get());
  EXPECT_EQ(resolution.x, 11811u);
  EXPECT_EQ(resolution.y, 2000u);
}

}  // namespace
}  // namespace pixmera
