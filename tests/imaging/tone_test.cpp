// Colour adjustment, greyscale, threshold and dither: the depth each one
// prepares, what it does to the pixels, and their order in the chain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "imaging/operations.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

using test::Pixel;
using test::raster_of;

class ToneTest : public test::OperationTest {
 protected:
  static Image photo() { return test::reference_photo("base_only.png"); }
  static Image copy_of(const Image& picture) { return adopt(FreeImage_Clone(picture.get())); }
};

// Brightness scales every channel by (100 + b) / 100.
int brightened(int level, int percent) {
  return std::min(255, static_cast<int>(std::lround(level * (100.0 + percent) / 100.0)));
}

// ---------------------------------------------------------------------------
// Colour adjustment

TEST_F(ToneTest, AdjustmentSwitchedOffKeepsThePicture) {
  g_settings.image_invert = 1;
  Image picture = test::with_depth(photo(), 1);
  FIBITMAP* const original = picture.get();
  picture = adjust_colors(std::move(picture));
  EXPECT_EQ(picture.get(), original);
  EXPECT_EQ(bpp_of(picture), 1u);
}

// FreeImage adjusts 8, 24 and 32-bit bitmaps only; a 1-bit or 5-6-5
// picture would be saved unadjusted and reported as converted, so it is
// widened to 24 bits first and goes on at that depth.
TEST_F(ToneTest, OneAndSixteenBitPicturesAreAdjustedAt24Bits) {
  g_settings.do_image_color_correction = 1;
  g_settings.image_invert = 1;
  for (unsigned bpp : {1u, 16u}) {
    SCOPED_TRACE(bpp);
    Image picture = test::with_depth(photo(), bpp);
    ASSERT_TRUE(picture);
    const auto before = raster_of(picture);

    picture = adjust_colors(std::move(picture));
    ASSERT_TRUE(picture);
    EXPECT_EQ(bpp_of(picture), 24u);
    const auto after = raster_of(picture);
    int wrong = 0;
    for (size_t i = 0; i < after.pixels.size(); ++i) {
      const Pixel& x = after.pixels[i];
      const Pixel& y = before.pixels[i];
      if (x.red != 255 - y.red || x.green != 255 - y.green || x.blue != 255 - y.blue) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(ToneTest, EightAndThirtyTwoBitPicturesAreAdjustedInPlace) {
  g_settings.do_image_color_correction = 1;
  g_settings.image_brightness = 10;
  for (unsigned bpp : {8u, 32u}) {
    SCOPED_TRACE(bpp);
    Image picture = test::with_depth(photo(), bpp);
    ASSERT_TRUE(picture);
    const auto before = raster_of(picture);
    FIBITMAP* const original = picture.get();

    picture = adjust_colors(std::move(picture));
    EXPECT_EQ(picture.get(), original);
    EXPECT_EQ(bpp_of(picture), bpp);
    const auto after = raster_of(picture);
    int worst = 0;
    for (size_t i = 0; i < after.pixels.size(); ++i) {
      worst = std::max({worst, std::abs(after.pixels[i].red - brightened(before.pixels[i].red, 10)),
                        std::abs(after.pixels[i].green - brightened(before.pixels[i].green, 10)),
                        std::abs(after.pixels[i].blue - brightened(before.pixels[i].blue, 10))});
    }
    EXPECT_LE(worst, 1);
  }
}

TEST_F(ToneTest, ContrastAndGammaReachThePicture) {
  const Image source = photo();
  ASSERT_TRUE(source);
  const auto before = raster_of(source);
  g_settings.do_image_color_correction = 1;

  g_settings.image_contrast = 40;
  Image contrasted = adjust_colors(copy_of(source));
  g_settings.image_contrast = 0;
  g_settings.image_gamma = 2.0f;
  Image lightened = adjust_colors(copy_of(source));
  ASSERT_TRUE(contrasted);
  ASSERT_TRUE(lightened);

  // More contrast spreads the levels away from the middle; a gamma above 1
  // lifts the mid-tones.
  const auto spread = [](const test::RgbRaster& r) {
    double sum = 0;
    for (const Pixel& p : r.pixels) sum += std::abs(p.green - 128);
    return sum / static_cast<double>(r.pixels.size());
  };
  EXPECT_GT(spread(raster_of(contrasted)), spread(before) + 5);
  const Pixel mid_before = before.at(384, 256);
  const Pixel mid_after = raster_of(lightened).at(384, 256);
  EXPECT_GT(mid_after.green, mid_before.green);
}

// ---------------------------------------------------------------------------
// Greyscale

// A picture of 16 bits per channel becomes 16-bit grey: Rec. 709 luminance
// of the 16-bit samples, with none of the steps between 8-bit levels lost.
TEST_F(ToneTest, GreyscaleOf48BitPictureKeeps16Bits) {
  Image picture = test::with_depth(photo(), 48);
  ASSERT_TRUE(picture);
  // A gamma lifts the 8-bit levels the 48-bit copy holds onto 16-bit ones.
  g_settings.do_image_color_correction = 1;
  g_settings.image_gamma = 1.3f;
  picture = adjust_colors(std::move(picture));
  const std::vector<uint16_t> colour = test::samples16_of(picture);
  g_settings.do_image_greyscale = 1;

  picture = greyscale(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 16u);
  EXPECT_EQ(FreeImage_GetImageType(picture.get()), FIT_UINT16);
  const std::vector<uint16_t> grey = test::samples16_of(picture);
  ASSERT_EQ(grey.size() * 3, colour.size());
  double worst = 0;
  std::set<uint16_t> levels;
  for (size_t i = 0; i < grey.size(); ++i) {
    const double luma =
        0.2126 * colour[3 * i] + 0.7152 * colour[3 * i + 1] + 0.0722 * colour[3 * i + 2];
    worst = std::max(worst, std::abs(grey[i] - luma));
    levels.insert(grey[i]);
  }
  EXPECT_LE(worst, 0.5);
  EXPECT_GT(levels.size(), 1000u);
}

TEST_F(ToneTest, GreyscaleSwitchedOffKeepsColour) {
  Image picture = photo();
  FIBITMAP* const original = picture.get();
  picture = greyscale(std::move(picture));
  EXPECT_EQ(picture.get(), original);
  EXPECT_EQ(bpp_of(picture), 24u);
}

// ---------------------------------------------------------------------------
// Threshold

TEST_F(ToneTest, ThresholdUsesTheLowByteOfTheLevel) {
  const Image source = photo();
  ASSERT_TRUE(source);
  g_settings.do_image_threshold = 1;
  struct Case {
    int32_t setting;
    BYTE level;
  };
  for (const Case& c : {Case{300, 44}, Case{-1, 255}, Case{128, 128}}) {
    SCOPED_TRACE(c.setting);
    g_settings.image_threshold = c.setting;
    Image picture = threshold(copy_of(source));
    ASSERT_TRUE(picture);
    EXPECT_EQ(bpp_of(picture), 1u);
    const Image expected = adopt(FreeImage_Threshold(source.get(), c.level));
    EXPECT_EQ(raster_of(picture).pixels, raster_of(expected).pixels);
  }
  // And the level matters: 44 and 128 split the photograph differently.
  g_settings.image_threshold = 300;
  const Image low = threshold(copy_of(source));
  g_settings.image_threshold = 128;
  const Image middle = threshold(copy_of(source));
  EXPECT_NE(raster_of(low).pixels, raster_of(middle).pixels);
}

TEST_F(ToneTest, ThresholdOfOneBitPictureGoesThrough24Bits) {
  Image picture = test::with_depth(photo(), 1);
  ASSERT_TRUE(picture);
  const auto before = raster_of(picture);
  FIBITMAP* const original = picture.get();
  g_settings.do_image_threshold = 1;
  g_settings.image_threshold = 128;
  picture = threshold(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_NE(picture.get(), original);
  EXPECT_EQ(bpp_of(picture), 1u);
  EXPECT_EQ(raster_of(picture).pixels, before.pixels);
}

// ---------------------------------------------------------------------------
// Dither

TEST_F(ToneTest, DitherMethodTable) {
  const std::pair<int32_t, FREE_IMAGE_DITHER> table[] = {
      {0, FID_FS},         {1, FID_BAYER4x4},   {2, FID_BAYER8x8},     {3, FID_BAYER16x16},
      {4, FID_CLUSTER6x6}, {5, FID_CLUSTER8x8}, {6, FID_CLUSTER16x16}, {7, FID_FS},
      {9, FID_FS},         {-1, FID_FS},
  };
  for (const auto& [code, method] : table) EXPECT_EQ(dither_method(code), method) << code;
}

TEST_F(ToneTest, DitherAppliesTheChosenMethod) {
  const Image source = photo();
  ASSERT_TRUE(source);
  g_settings.do_image_dither = 1;
  const Image floyd_steinberg = adopt(FreeImage_Dither(source.get(), FID_FS));
  const Image bayer16 = adopt(FreeImage_Dither(source.get(), FID_BAYER16x16));
  ASSERT_NE(raster_of(floyd_steinberg).pixels, raster_of(bayer16).pixels);

  g_settings.image_dither_algorithm = 3;
  Image picture = dither(copy_of(source));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 1u);
  EXPECT_EQ(raster_of(picture).pixels, raster_of(bayer16).pixels);

  g_settings.image_dither_algorithm = 9;
  picture = dither(copy_of(source));
  ASSERT_TRUE(picture);
  EXPECT_EQ(raster_of(picture).pixels, raster_of(floyd_steinberg).pixels);
}

// ---------------------------------------------------------------------------
// The four in their order

TEST_F(ToneTest, ThresholdThenDitherBothApply) {
  const Image source = photo();
  ASSERT_TRUE(source);
  g_settings.do_image_threshold = 1;
  g_settings.image_threshold = 100;
  g_settings.do_image_dither = 1;
  g_settings.image_dither_algorithm = 1;

  Image picture = adjust_colors(copy_of(source));
  picture = greyscale(std::move(picture));
  picture = threshold(std::move(picture));
  ASSERT_TRUE(picture);
  const auto thresholded = raster_of(picture);
  picture = dither(std::move(picture));
  ASSERT_TRUE(picture);

  // The 1-bit threshold output is widened and dithered again; black and
  // white survive any dither, so the threshold's split is what shows, not
  // the Bayer pattern the photograph alone would get.
  EXPECT_EQ(bpp_of(picture), 1u);
  EXPECT_EQ(raster_of(picture).pixels, thresholded.pixels);
  const Image dithered_only = adopt(FreeImage_Dither(source.get(), FID_BAYER4x4));
  EXPECT_NE(raster_of(picture).pixels, raster_of(dithered_only).pixels);
}

TEST_F(ToneTest, WholeToneChainOnAPhotograph) {
  g_settings.do_image_color_correction = 1;
  g_settings.image_brightness = -20;
  g_settings.do_image_greyscale = 1;
  Image picture = adjust_colors(photo());
  picture = greyscale(std::move(picture));
  picture = threshold(std::move(picture));
  picture = dither(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 8u);  // threshold and dither are off

  // The darkened grey photograph: every level at most 80 % of its luminance.
  const auto colour = raster_of(photo());
  const auto grey = raster_of(picture);
  int too_bright = 0;
  for (size_t i = 0; i < grey.pixels.size(); ++i) {
    const Pixel& c = colour.pixels[i];
    const double luma = 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
    if (grey.pixels[i].red > 0.8 * luma + 2) ++too_bright;
  }
  EXPECT_EQ(too_bright, 0);
}

}  // namespace
}  // namespace pixmera
