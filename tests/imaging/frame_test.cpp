// The frame on the Kodak photograph: band geometry with its mitred corners,
// opacity, depth handling and a reference picture.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/operations.h"
#include "reference_pictures.h"
#include "settings/settings.h"
#include "test_pictures.h"

namespace pixmera::test {
namespace {

constexpr Pixel kRed{255, 0, 0};
constexpr Pixel kBlue{0, 0, 255};
constexpr Pixel kGreen{0, 255, 0};
constexpr Pixel kYellow{255, 255, 0};
constexpr Pixel kBlack{0, 0, 0};

class FrameTest : public OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    photo_ = reference_photo("base_only.png");
    ASSERT_TRUE(photo_);
    g_settings.do_frame = 1;
    g_settings.solid_top_color = "FF0000";
    g_settings.solid_right_color = "00FF00";
    g_settings.solid_bottom_color = "FFFF00";
    g_settings.solid_left_color = "0000FF";
    g_settings.solid_opacity = 255;
  }

  void set_widths(int32_t left, int32_t right, int32_t top, int32_t bottom) {
    g_settings.solid_left = left;
    g_settings.solid_right = right;
    g_settings.solid_top = top;
    g_settings.solid_bottom = bottom;
  }

  Image framed_copy() {
    return frame(adopt(FreeImage_Clone(photo_.get())), width_of(photo_), height_of(photo_));
  }

  Image photo_;
};

TEST_F(FrameTest, CornerSplitsAlongItsDiagonal) {
  set_widths(10, 0, 20, 0);
  const Image framed = framed_copy();
  ASSERT_TRUE(framed);
  const RgbRaster out = raster_of(framed);
  // The line from (0, 0) to (10, 20) is y = 2x; a pixel's centre more than
  // one pixel (vertically two) from it lies wholly on one side.
  int above = 0;
  int below = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 10; ++x) {
      const double offset = (y + 0.5) - 2.0 * (x + 0.5);
      const Pixel& p = out.at(x, y);
      if (offset < -2.0) {
        EXPECT_EQ(p, kRed) << "above the diagonal at " << x << "," << y;
        ++above;
      } else if (offset > 2.0) {
        EXPECT_EQ(p, kBlue) << "below the diagonal at " << x << "," << y;
        ++below;
      } else {
        // On the diagonal: a blend of the two band colours only.
        EXPECT_EQ(p.green, 0) << x << "," << y;
        EXPECT_NEAR(p.red + p.blue, 255, 2) << x << "," << y;
      }
    }
  }
  EXPECT_GT(above, 40);
  EXPECT_GT(below, 40);
  // Away from the corner each band has its own colour, and the picture
  // inside is untouched.
  const RgbRaster in = raster_of(photo_);
  EXPECT_EQ(out.at(400, 0), kRed);
  EXPECT_EQ(out.at(400, 19), kRed);
  EXPECT_EQ(out.at(400, 20), in.at(400, 20));
  EXPECT_EQ(out.at(0, 300), kBlue);
  EXPECT_EQ(out.at(9, 300), kBlue);
  EXPECT_EQ(out.at(10, 300), in.at(10, 300));
  EXPECT_EQ(out.at(767, 300), in.at(767, 300));
  EXPECT_EQ(out.at(400, 511), in.at(400, 511));
}

TEST_F(FrameTest, FourBandsMeetAtEveryCorner) {
  set_widths(16, 16, 16, 16);
  const RgbRaster out = raster_of(framed_copy());
  const int w = out.width;
  const int h = out.height;
  // In each corner square the pixel nearer the horizontal edge takes the
  // horizontal band's colour, the one nearer the vertical edge the other.
  EXPECT_EQ(out.at(10, 2), kRed);
  EXPECT_EQ(out.at(2, 10), kBlue);
  EXPECT_EQ(out.at(w - 11, 2), kRed);
  EXPECT_EQ(out.at(w - 3, 10), kGreen);
  EXPECT_EQ(out.at(w - 3, h - 11), kGreen);
  EXPECT_EQ(out.at(w - 11, h - 3), kYellow);
  EXPECT_EQ(out.at(10, h - 3), kYellow);
  EXPECT_EQ(out.at(2, h - 11), kBlue);
}

TEST_F(FrameTest, OpacityZeroIsInvisibleAndFullOpacityReplaces) {
  set_widths(20, 20, 20, 20);
  g_settings.solid_opacity = 0;
  const RgbRaster in = raster_of(photo_);
  EXPECT_EQ(raster_of(framed_copy()).pixels, in.pixels);

  g_settings.solid_opacity = 255;
  const RgbRaster opaque = raster_of(framed_copy());
  for (int x = 25; x < 740; x += 7) {
    for (int y = 0; y < 20; ++y) ASSERT_EQ(opaque.at(x, y), kRed) << x << "," << y;
    EXPECT_EQ(opaque.at(x, 20), in.at(x, 20));
    EXPECT_EQ(opaque.at(x, 511), kYellow);
  }

  g_settings.solid_opacity = 128;
  const RgbRaster half = raster_of(framed_copy());
  const Pixel& original = in.at(300, 5);
  EXPECT_NEAR(half.at(300, 5).red, (255 + original.red) / 2.0, 2.0);
  EXPECT_NEAR(half.at(300, 5).green, original.green / 2.0, 2.0);
  EXPECT_NEAR(half.at(300, 5).blue, original.blue / 2.0, 2.0);
}

TEST_F(FrameTest, BandsCoveringEverythingStillComposite) {
  // No transparent pixel is left in the layer.
  set_widths(400, 400, 300, 300);
  const RgbRaster out = raster_of(framed_copy());
  EXPECT_EQ(out.at(100, 256), kBlue);
  EXPECT_EQ(out.at(384, 100), kRed);
  EXPECT_EQ(out.at(700, 256), kGreen);
  EXPECT_EQ(out.at(384, 500), kYellow);
}

TEST_F(FrameTest, NoWidthsLeaveTheColoursButGive24Bits) {
  set_widths(0, 0, 0, 0);
  Image wide = adopt(FreeImage_ConvertTo32Bits(photo_.get()));
  const Image framed = frame(std::move(wide), width_of(photo_), height_of(photo_));
  ASSERT_TRUE(framed);
  EXPECT_EQ(bpp_of(framed), 24u);
  EXPECT_EQ(raster_of(framed).pixels, raster_of(photo_).pixels);
}

TEST_F(FrameTest, PictureWithAlphaLosesIt) {
  set_widths(8, 8, 8, 8);
  Image wide = adopt(FreeImage_ConvertTo32Bits(photo_.get()));
  // Half-transparent: the alpha must not show through the conversion.
  for (unsigned y = 0; y < FreeImage_GetHeight(wide.get()); ++y) {
    BYTE* line = FreeImage_GetScanLine(wide.get(), static_cast<int>(y));
    for (unsigned x = 0; x < FreeImage_GetWidth(wide.get()); ++x) line[4 * x + FI_RGBA_ALPHA] = 100;
  }
  const Image framed = frame(std::move(wide), width_of(photo_), height_of(photo_));
  ASSERT_TRUE(framed);
  EXPECT_EQ(bpp_of(framed), 24u);
  const RgbRaster out = raster_of(framed);
  EXPECT_EQ(out.at(300, 300), raster_of(photo_).at(300, 300));
  EXPECT_EQ(out.at(300, 3), kRed);
}

TEST_F(FrameTest, SwitchValues) {
  set_widths(20, 20, 20, 20);
  g_settings.do_frame = 0;
  Image wide = adopt(FreeImage_ConvertTo32Bits(photo_.get()));
  FIBITMAP* const original = wide.get();
  const Image untouched = frame(std::move(wide), width_of(photo_), height_of(photo_));
  EXPECT_EQ(untouched.get(), original);

  // A frame kind this program does not know is no frame, but the picture
  // still comes back as 24 bits.
  g_settings.do_frame = 2;
  const Image other = frame(adopt(FreeImage_ConvertTo32Bits(photo_.get())), 768, 512);
  ASSERT_TRUE(other);
  EXPECT_EQ(bpp_of(other), 24u);
  EXPECT_EQ(raster_of(other).pixels, raster_of(photo_).pixels);

  EXPECT_FALSE(frame(Image{}, 768, 512));
}

TEST_F(FrameTest, ColourTextOfAnotherLengthGivesBlack) {
  set_widths(0, 0, 12, 0);
  g_settings.solid_top_color = "F00";
  EXPECT_EQ(raster_of(framed_copy()).at(300, 5), kBlack);
  g_settings.solid_top_color = "FF00000";
  EXPECT_EQ(raster_of(framed_copy()).at(300, 5), kBlack);
}

TEST_F(FrameTest, OddSizesDoNotBreakThePicture) {
  const RgbRaster in = raster_of(photo_);
  // Bands wider than the picture, and negative widths, are only shapes.
  set_widths(2000, -50, 900, -1);
  Image framed = framed_copy();
  ASSERT_TRUE(framed);
  EXPECT_EQ(width_of(framed), 768);
  // A size that does not match the picture: the layer cannot be laid over
  // it, and the picture goes on unframed instead of being lost.
  set_widths(10, 10, 10, 10);
  Image mismatched = frame(adopt(FreeImage_Clone(photo_.get())), 700, 500);
  ASSERT_TRUE(mismatched);
  EXPECT_EQ(raster_of(mismatched).pixels, in.pixels);
  Image empty_size = frame(adopt(FreeImage_Clone(photo_.get())), 0, 0);
  ASSERT_TRUE(empty_size);
  EXPECT_EQ(raster_of(empty_size).pixels, in.pixels);
}

TEST_F(FrameTest, MatchesReferencePicture) {
  if (drawing_library() != kReferenceDrawingLibrary) {
    GTEST_SKIP() << "the reference's diagonal edges are " << kReferenceDrawingLibrary << "'s";
  }
  // Half size keeps the reference file small.
  const Image half = adopt(FreeImage_Rescale(photo_.get(), 384, 256, FILTER_BOX));
  set_widths(12, 24, 16, 32);
  g_settings.solid_opacity = 200;
  const Image framed = frame(adopt(FreeImage_Clone(half.get())), 384, 256);
  EXPECT_TRUE(matches_reference(framed, "frame_solid", Tolerance{2, 0.0005}));
}

}  // namespace
}  // namespace pixmera::test
