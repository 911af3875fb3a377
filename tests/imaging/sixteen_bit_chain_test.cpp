// The chain on pictures of 16 bits per channel: the operations that keep
// them, and what each does to the 16-bit samples.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "imaging/operations.h"
#include "support/temp_folder.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

// A 16-bit picture whose samples differ from pixel to pixel and channel to
// channel, nearly all between two 8-bit levels.
Image ramp16(int width, int height) {
  Image picture = adopt(FreeImage_AllocateT(FIT_RGB16, width, height));
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(picture.get(), height - 1 - y));
    for (int x = 0; x < width; ++x) {
      const auto i = static_cast<uint32_t>(y * width + x);
      row[x] = FIRGB16{static_cast<WORD>(i * 7 % 65536), static_cast<WORD>(i * 13 % 65536 / 2),
                       static_cast<WORD>(65535 - i * 3 % 65536)};
    }
  }
  return picture;
}

FIRGB16 at(const Image& picture, int x, int y) {
  return reinterpret_cast<const FIRGB16*>(
      FreeImage_GetScanLine(picture.get(), height_of(picture) - 1 - y))[x];
}

bool same(const FIRGB16& a, const FIRGB16& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

class SixteenBitChain : public test::OperationTest {};

// Brightness, contrast, gamma and inversion follow FreeImage's 8-bit curve:
// on the levels an 8-bit picture can hold, the 16-bit result is FreeImage's
// own to the nearest 16-bit step; in between, the steps survive.
TEST_F(SixteenBitChain, AdjustmentFollowsFreeImagesCurveWithoutDroppingTo8Bits) {
  struct Case {
    int32_t brightness;
    int32_t contrast;
    float gamma;
    uint8_t invert;
  };
  g_settings.do_image_color_correction = 1;
  for (const Case& c : {Case{20, 0, 1.0f, 0}, Case{0, -30, 1.0f, 0}, Case{0, 0, 1.8f, 0},
                        Case{0, 0, 1.0f, 1}, Case{-15, 25, 0.7f, 1}}) {
    SCOPED_TRACE(testing::Message()
                 << c.brightness << " " << c.contrast << " " << c.gamma << " " << int{c.invert});
    g_settings.image_brightness = c.brightness;
    g_settings.image_contrast = c.contrast;
    g_settings.image_gamma = c.gamma;
    g_settings.image_invert = c.invert;
    // Every 16-bit level once, in the red channel of a 256 x 256 picture.
    Image picture = adopt(FreeImage_AllocateT(FIT_RGB16, 256, 256));
    for (int y = 0; y < 256; ++y) {
      auto* row = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(picture.get(), y));
      for (int x = 0; x < 256; ++x) row[x].red = static_cast<WORD>(y * 256 + x);
    }
    FIBITMAP* const original = picture.get();
    picture = adjust_colors(std::move(picture));
    ASSERT_EQ(picture.get(), original);
    ASSERT_EQ(FreeImage_GetImageType(picture.get()), FIT_RGB16);

    std::array<BYTE, 256> eight_bit{};
    FreeImage_GetAdjustColorsLookupTable(eight_bit.data(), c.brightness, c.contrast, c.gamma,
                                         c.invert != 0);
    std::set<WORD> levels;
    int worst = 0;
    for (int level = 0; level < 65536; ++level) {
      const WORD out = reinterpret_cast<const FIRGB16*>(
                           FreeImage_GetScanLine(picture.get(), level / 256))[level % 256]
                           .red;
      levels.insert(out);
      if (level % 257 == 0) worst = std::max(worst, std::abs(out - eight_bit[level / 257] * 257));
      if (c.brightness == 0 && c.contrast == 0 && c.gamma == 1.0f) {
        ASSERT_EQ(out, 65535 - level);  // inversion alone is exact
      }
    }
    EXPECT_LE(worst, 257 / 2 + 1);
    EXPECT_GT(levels.size(), 8000u);
  }
}

TEST_F(SixteenBitChain, RotationKeepsTheSamples) {
  const Image source = ramp16(90, 60);
  g_settings.do_image_rotation = 1;

  // A quarter turn counter-clockwise: (x, y) lands at (y, 89 - x).
  g_settings.image_rotation = 90;
  const Image quarter = rotate(adopt(FreeImage_Clone(source.get())));
  ASSERT_EQ(FreeImage_GetImageType(quarter.get()), FIT_RGB16);
  ASSERT_EQ(width_of(quarter), 60);
  ASSERT_EQ(height_of(quarter), 90);
  int moved_wrong = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 90; ++x)
      moved_wrong += same(at(quarter, y, 89 - x), at(source, x, y)) ? 0 : 1;
  }
  EXPECT_EQ(moved_wrong, 0);

  // The background at 16 bits: FF8000 is 65535, 32896, 0.
  g_settings.image_rotation = 30;
  g_settings.image_rotation_back_color = "FF8000";
  const Image odd = rotate(adopt(FreeImage_Clone(source.get())));
  ASSERT_EQ(FreeImage_GetImageType(odd.get()), FIT_RGB16);
  EXPECT_TRUE(same(at(odd, 0, 0), FIRGB16{65535, 32896, 0}));

  // About the centre the picture keeps its size: a half turn is exact, a
  // quarter turn shows the middle and black where nothing was.
  g_settings.image_rotation_type = 1;
  g_settings.image_rotation = 180;
  const Image half = rotate(adopt(FreeImage_Clone(source.get())));
  ASSERT_EQ(FreeImage_GetImageType(half.get()), FIT_RGB16);
  ASSERT_EQ(width_of(half), 90);
  ASSERT_EQ(height_of(half), 60);
  int turned_wrong = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 90; ++x)
      turned_wrong += same(at(half, 89 - x, 59 - y), at(source, x, y)) ? 0 : 1;
  }
  EXPECT_EQ(turned_wrong, 0);
  g_settings.image_rotation = 90;
  const Image centred = rotate(adopt(FreeImage_Clone(source.get())));
  ASSERT_EQ(width_of(centred), 90);
  ASSERT_EQ(height_of(centred), 60);
  EXPECT_TRUE(same(at(centred, 0, 0), FIRGB16{0, 0, 0}));
  EXPECT_TRUE(same(at(centred, 89, 59), FIRGB16{0, 0, 0}));
  // The middle 60 columns hold the turned picture's middle 60 rows:
  // result (X, Y) is turned (X - 15, Y + 15), which is source (74 - Y, X - 15).
  int centred_wrong = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 15; x < 75; ++x) {
      centred_wrong += same(at(centred, x, y), at(source, 74 - y, x - 15)) ? 0 : 1;
    }
  }
  EXPECT_EQ(centred_wrong, 0);
}

// The frame and the watermark are mixed into the 16-bit samples: the
// pixels they do not cover keep every sample, and covered ones match the
// 24-bit chain's colours.
TEST_F(SixteenBitChain, FrameAndWatermarkBlendIntoTheSamples) {
  const Image source = ramp16(120, 80);
  g_settings.do_frame = 1;
  g_settings.solid_left = g_settings.solid_right = g_settings.solid_top = g_settings.solid_bottom =
      10;
  g_settings.solid_top_color = g_settings.solid_left_color = "FF0000";
  g_settings.solid_right_color = g_settings.solid_bottom_color = "0000FF";
  g_settings.solid_opacity = 128;
  Image deep = frame(adopt(FreeImage_Clone(source.get())), 120, 80);
  ASSERT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);

  test::TempFolder folder;
  const std::string magenta = folder.file("magenta.png");
  {
    const Image small = adopt(FreeImage_Allocate(20, 10, 24));
    const RGBQUAD colour{255, 0, 255, 0};
    FreeImage_FillBackground(small.get(), &colour, 0);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, small.get(), magenta.c_str(), 0));
  }
  g_settings.do_watermark = 2;
  g_settings.image = magenta;
  g_settings.image_opacity = 255;
  g_settings.image_position = 8;
  g_settings.image_x_offset = 15;
  g_settings.image_y_offset = 15;
  deep = watermark(std::move(deep), 120, 80);
  ASSERT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);

  // The 24-bit chain on the same picture, for the covered pixels.
  Image flat = frame(to_24_bits(adopt(FreeImage_Clone(source.get()))), 120, 80);
  flat = watermark(std::move(flat), 120, 80);
  const test::RgbRaster flat_raster = test::raster_of(flat);
  int untouched_changed = 0;
  int covered_off = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      const bool in_frame = x < 10 || x >= 110 || y < 10 || y >= 70;
      const bool in_watermark = x >= 85 && x < 105 && y >= 55 && y < 65;
      const FIRGB16 d = at(deep, x, y);
      if (!in_frame && !in_watermark) {
        untouched_changed += same(d, at(source, x, y)) ? 0 : 1;
        continue;
      }
      const test::Pixel& f = flat_raster.at(x, y);
      const int off = std::max({std::abs(d.red / 257 - f.red), std::abs(d.green / 257 - f.green),
                                std::abs(d.blue / 257 - f.blue)});
      covered_off += off > 2 ? 1 : 0;
    }
  }
  EXPECT_EQ(untouched_changed, 0);
  EXPECT_EQ(covered_off, 0);
  EXPECT_TRUE(same(at(deep, 90, 60), FIRGB16{65535, 0, 65535}));

  // 16-bit grey becomes 16-bit colour for the frame, as 8-bit grey becomes
  // 24 bits.
  g_settings.do_watermark = 0;
  g_settings.do_image_greyscale = 1;
  const Image grey_framed = frame(greyscale(adopt(FreeImage_Clone(source.get()))), 120, 80);
  ASSERT_EQ(FreeImage_GetImageType(grey_framed.get()), FIT_RGB16);
  const FIRGB16 inside = at(grey_framed, 60, 40);
  EXPECT_TRUE(inside.red == inside.green && inside.green == inside.blue);
  EXPECT_NE(inside.red % 257, 0);
}

}  // namespace
}  // namespace pixmera
