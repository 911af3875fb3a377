// Rotation, resize and flip on real photographs and asymmetric patterns:
// sizes, depths, where every pixel went, and which handle comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "imaging/operations.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

using test::alpha_at;
using test::cell_means;
using test::mean_difference;
using test::Pixel;
using test::raster_of;

constexpr Pixel kGreen{0, 255, 0};
constexpr Pixel kBlack{0, 0, 0};

// ---------------------------------------------------------------------------
// Colours and lengths

TEST(ColourFromHex, SixDigitsReadAsRedGreenBlue) {
  const Rgb green = colour_from_hex("00FF00");
  EXPECT_EQ(green.red, 0);
  EXPECT_EQ(green.green, 255);
  EXPECT_EQ(green.blue, 0);
  const Rgb mixed = colour_from_hex("0a80Fe");
  EXPECT_EQ(mixed.red, 0x0A);
  EXPECT_EQ(mixed.green, 0x80);
  EXPECT_EQ(mixed.blue, 0xFE);
}

TEST(ColourFromHex, AnyOtherLengthIsBlack) {
  for (const char* text : {"", "0F0", "FFFFF", "FFFFFFF", "#00FF00"}) {
    const Rgb colour = colour_from_hex(text);
    EXPECT_EQ(colour.red + colour.green + colour.blue, 0) << '"' << text << '"';
  }
}

TEST(ColourFromHex, PairThatIsNotHexadecimalCountsAsZero) {
  const Rgb colour = colour_from_hex("G0+F80");
  EXPECT_EQ(colour.red, 0);
  EXPECT_EQ(colour.green, 0);
  EXPECT_EQ(colour.blue, 0x80);
}

TEST(TargetLength, PixelsPercentAndUnknownUnit) {
  EXPECT_EQ(target_length(800, 0, 3072), 800);
  EXPECT_EQ(target_length(-3, 0, 3072), -3);
  EXPECT_EQ(target_length(50, 1, 3072), 1536);
  EXPECT_EQ(target_length(50, 1, 5), 3);  // 2.5 rounds to the nearest, away from 0
  EXPECT_EQ(target_length(33, 1, 1000), 330);
  EXPECT_EQ(target_length(150, 1, 2048), 3072);
  EXPECT_EQ(target_length(50, 2, 3072), 0);
  EXPECT_EQ(target_length(50, 255, 3072), 0);
}

TEST(TargetLength, WildPercentageSaturatesInsteadOfOverflowing) {
  EXPECT_EQ(target_length(INT_MAX, 1, 3072), INT_MAX);
  EXPECT_EQ(target_length(INT_MIN, 1, 3072), INT_MIN);
  EXPECT_EQ(target_length(100000, 1, 3072), 3072000);
}

// ---------------------------------------------------------------------------
// Rotation

using RotateTest = test::OperationTest;

TEST_F(RotateTest, AngleOutsideOneTo359OrSwitchOffKeepsThePicture) {
  Image picture = test::with_depth(test::reference_photo("base_only.png"), 8);
  ASSERT_TRUE(picture);
  const auto before = raster_of(picture);
  g_settings.do_image_rotation = 1;
  for (int32_t angle : {0, 360, -5, 720}) {
    g_settings.image_rotation = angle;
    FIBITMAP* const original = picture.get();
    picture = rotate(std::move(picture));
    EXPECT_EQ(picture.get(), original) << angle;
    EXPECT_EQ(bpp_of(picture), 8u) << angle;
  }
  g_settings.do_image_rotation = 0;
  g_settings.image_rotation = 90;
  FIBITMAP* const original = picture.get();
  picture = rotate(std::move(picture));
  EXPECT_EQ(picture.get(), original);
  EXPECT_EQ(raster_of(picture).pixels, before.pixels);
}

TEST_F(RotateTest, QuarterTurnOfEightBitPhotoIsCounterClockwiseAt24Bits) {
  Image picture = test::with_depth(test::reference_photo("base_only.png"), 8);
  ASSERT_TRUE(picture);
  const auto source = raster_of(picture);
  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 90;
  g_settings.image_rotation_type = 0;
  g_settings.image_rotation_back_color = "FF0000";

  picture = rotate(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 24u);
  ASSERT_EQ(width_of(picture), source.height);
  ASSERT_EQ(height_of(picture), source.width);
  const auto turned = raster_of(picture);
  // Counter-clockwise: the top-right corner comes to the top-left.
  int wrong = 0;
  for (int y = 0; y < turned.height; ++y) {
    for (int x = 0; x < turned.width; ++x) {
      if (!(turned.at(x, y) == source.at(source.width - 1 - y, x))) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(RotateTest, OddAngleFillsTheUncoveredCornersWithTheBackground) {
  Image photo = test::reference_photo("base_only.png");
  ASSERT_TRUE(photo);
  const auto source = raster_of(photo);
  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 45;
  g_settings.image_rotation_type = 0;

  struct Case {
    const char* colour;
    Pixel expected;
  };
  for (const Case& c : {Case{"00FF00", kGreen}, Case{"0F0", kBlack}}) {
    SCOPED_TRACE(c.colour);
    g_settings.image_rotation_back_color = c.colour;
    Image picture = rotate(test::with_depth(photo, 8));
    ASSERT_TRUE(picture);
    EXPECT_EQ(bpp_of(picture), 24u);
    // The canvas grows to hold the turned picture: (768 + 512) / sqrt(2).
    EXPECT_NEAR(width_of(picture), 905, 2);
    EXPECT_NEAR(height_of(picture), 905, 2);
    const auto turned = raster_of(picture);
    const int w = turned.width - 1;
    const int h = turned.height - 1;
    for (auto [x, y] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}, {w / 10, h / 10}}) {
      EXPECT_EQ(turned.at(x, y), c.expected) << x << "," << y;
    }
    // The middle of the photograph stays in the middle.
    const Pixel middle = turned.at(turned.width / 2, turned.height / 2);
    const Pixel origin = source.at(source.width / 2, source.height / 2);
    EXPECT_NEAR(middle.red, origin.red, 12);
    EXPECT_NEAR(middle.green, origin.green, 12);
    EXPECT_NEAR(middle.blue, origin.blue, 12);
  }
}

TEST_F(RotateTest, ThirtyTwoBitPictureKeepsItsDepthAndGetsATransparentBackground) {
  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 30;
  g_settings.image_rotation_back_color = "00FF00";
  Image picture = rotate(test::with_depth(test::pattern(200, 100), 32));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 32u);
  EXPECT_EQ(raster_of(picture).at(0, 0), kGreen);
  EXPECT_EQ(alpha_at(picture, 0, 0), 0);
}

TEST_F(RotateTest, RotationAboutTheCentreKeepsSizeAndTurnsInPlace) {
  Image picture = test::with_depth(test::reference_photo("base_only.png"), 8);
  ASSERT_TRUE(picture);
  const auto source = raster_of(picture);
  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 180;
  g_settings.image_rotation_type = 1;

  picture = rotate(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 24u);
  ASSERT_EQ(width_of(picture), source.width);
  ASSERT_EQ(height_of(picture), source.height);
  // Turned about (width / 2, height / 2) the picture lands on itself, at
  // most one pixel from the exact half turn; any other origin moves it
  // far away.
  const auto turned = raster_of(picture);
  double best = 1e9;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      double sum = 0;
      int count = 0;
      for (int y = 4; y < source.height - 4; y += 2) {
        for (int x = 4; x < source.width - 4; x += 2) {
          const Pixel& a = turned.at(x, y);
          const Pixel& b = source.at(source.width - 1 - x + dx, source.height - 1 - y + dy);
          sum += std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
          count += 3;
        }
      }
      best = std::min(best, sum / count);
    }
  }
  EXPECT_LT(best, 1.0);
}

TEST_F(RotateTest, UnknownTypeOnlyPreparesTheDepth) {
  Image picture = test::with_depth(test::pattern(64, 48), 8);
  const auto source = raster_of(picture);
  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 90;
  g_settings.image_rotation_type = 2;
  picture = rotate(std::move(picture));
  ASSERT_TRUE(picture);
  EXPECT_EQ(bpp_of(picture), 24u);
  EXPECT_EQ(raster_of(picture).pixels, source.pixels);
}

// ---------------------------------------------------------------------------
// Resize

class ResizeTest : public test::OperationTest {
 protected:
  void SetUp() override {
    test::OperationTest::SetUp();
    g_settings.do_image_resize = 1;
  }
  void target(int32_t width, int32_t height, uint8_t unit = 0) {
    g_settings.image_width = width;
    g_settings.image_height = height;
    g_settings.image_width_unit = unit;
    g_settings.image_height_unit = unit;
  }
  static Image resized(Image picture) {
    const int w = width_of(picture);
    const int h = height_of(picture);
    return resize(std::move(picture), w, h);
  }
};

TEST_F(ResizeTest, HalfOfA16BaseScanAveragesEachBlockOfFour) {
  Image picture = test::photo_16base();
  ASSERT_TRUE(picture);
  const auto source = raster_of(picture);
  target(50, 50, 1);
  g_settings.image_resize_algorithm = 0;  // box

  picture = resized(std::move(picture));
  ASSERT_TRUE(picture);
  ASSERT_EQ(width_of(picture), 1536);
  ASSERT_EQ(height_of(picture), 1024);
  const auto half = raster_of(picture);
  int worst = 0;
  for (int y = 0; y < half.height; ++y) {
    for (int x = 0; x < half.width; ++x) {
      int red = 0;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) red += source.at(2 * x + dx, 2 * y + dy).red;
      }
      worst = std::max(worst, std::abs(4 * half.at(x, y).red - red));
    }
  }
  EXPECT_LE(worst, 4);  // within one level of the block mean
}

TEST_F(ResizeTest, KeepAspectRatioTakesTheWidthOfLandscapeAndTheHeightOfPortrait) {
  target(1000, 1000);
  g_settings.keep_aspect_ratio = 1;
  struct Case {
    bool portrait;
    int width;
    int height;
  };
  for (const Case& c : {Case{false, 1000, 667}, Case{true, 667, 1000}}) {
    SCOPED_TRACE(c.portrait ? "portrait" : "landscape");
    Image picture = test::photo_16base(c.portrait);
    ASSERT_TRUE(picture);
    const auto source = raster_of(picture);
    picture = resized(std::move(picture));
    ASSERT_TRUE(picture);
    EXPECT_EQ(width_of(picture), c.width);
    EXPECT_EQ(height_of(picture), c.height);
    // Same photograph, same way up: cell by cell the colours agree.
    const int columns = c.portrait ? 16 : 24;
    const int rows = c.portrait ? 24 : 16;
    EXPECT_LT(mean_difference(cell_means(raster_of(picture), columns, rows),
                              cell_means(source, columns, rows)),
              3.0);
  }
}

TEST_F(ResizeTest, WithoutKeepAspectRatioBothLengthsAreUsed) {
  target(1000, 1000);
  Image picture = resized(test::photo_16base());
  ASSERT_TRUE(picture);
  EXPECT_EQ(width_of(picture), 1000);
  EXPECT_EQ(height_of(picture), 1000);
}

TEST_F(ResizeTest, TypeOneLeavesPicturesSmallerThanTheTargetInBothDirections) {
  target(1024, 768);
  g_settings.image_resize_type = 1;

  Image small = test::pattern(800, 600);
  FIBITMAP* const original = small.get();
  small = resized(std::move(small));
  EXPECT_EQ(small.get(), original);

  Image wide = test::pattern(1200, 600);
  const auto source = raster_of(wide);
  wide = resized(std::move(wide));
  ASSERT_TRUE(wide);
  EXPECT_EQ(width_of(wide), 1024);
  EXPECT_EQ(height_of(wide), 768);
  EXPECT_LT(mean_difference(cell_means(raster_of(wide), 16, 12), cell_means(source, 16, 12)), 2.0);
}

TEST_F(ResizeTest, NothingToDoKeepsTheSameHandle) {
  Image picture = test::photo_16base();
  ASSERT_TRUE(picture);
  FIBITMAP* const original = picture.get();
  struct Case {
    int32_t width;
    int32_t height;
    uint8_t unit;
  };
  for (const Case& c : {Case{3072, 2048, 0}, Case{100, 100, 1}, Case{0, 1000, 0}, Case{1000, -1, 0},
                        Case{50, 50, 2}}) {
    target(c.width, c.height, c.unit);
    picture = resized(std::move(picture));
    EXPECT_EQ(picture.get(), original) << c.width << "x" << c.height << " unit " << int(c.unit);
  }
  g_settings.do_image_resize = 0;
  target(10, 10);
  picture = resized(std::move(picture));
  EXPECT_EQ(picture.get(), original);
}

TEST_F(ResizeTest, FilterSettingChoosesTheResampling) {
  const Image source = test::reference_photo("base_only.png");
  ASSERT_TRUE(source);
  target(300, 200);
  const std::pair<int32_t, FREE_IMAGE_FILTER> table[] = {
      {0, FILTER_BOX},        {1, FILTER_BILINEAR}, {2, FILTER_BSPLINE}, {3, FILTER_BICUBIC},
      {4, FILTER_CATMULLROM}, {5, FILTER_LANCZOS3}, {6, FILTER_BICUBIC}, {255, FILTER_BICUBIC},
  };
  for (const auto& [code, filter] : table) {
    SCOPED_TRACE(code);
    EXPECT_EQ(resize_filter(code), filter);
    g_settings.image_resize_algorithm = static_cast<uint8_t>(code);
    Image picture = resized(adopt(FreeImage_Clone(source.get())));
    Image expected = adopt(FreeImage_Rescale(source.get(), 300, 200, filter));
    ASSERT_TRUE(picture);
    EXPECT_EQ(raster_of(picture).pixels, raster_of(expected).pixels);
  }
}

// A stray keystroke in a percentage must not ask for a picture of hundreds
// of gigabytes: such a resize fails the file, releasing the picture.
TEST_F(ResizeTest, TargetBeyondTheLargestPictureFailsTheFile) {
  struct Case {
    int32_t width;
    int32_t height;
    uint8_t unit;
    uint8_t keep_aspect;
  };
  for (const Case& c : {Case{100000, 100000, 1, 0}, Case{100000, 100, 1, 1}, Case{65536, 10, 0, 0},
                        Case{10, 65536, 0, 0}, Case{40000, 30000, 0, 0}, Case{70000, 10, 0, 1}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " unit " << int(c.unit)
                                    << " aspect " << int(c.keep_aspect));
    target(c.width, c.height, c.unit);
    g_settings.keep_aspect_ratio = c.keep_aspect;
    Image picture = resized(test::pattern(120, 80));
    EXPECT_FALSE(picture);
  }
}

TEST_F(ResizeTest, LargestSideItselfIsAllowed) {
  target(65535, 2);
  Image picture = resized(test::pattern(40, 20));
  ASSERT_TRUE(picture);
  EXPECT_EQ(width_of(picture), 65535);
  EXPECT_EQ(height_of(picture), 2);
}

TEST_F(ResizeTest, ProportionalSideOfZeroIsAFailureNotACrash) {
  target(10, 10);
  g_settings.keep_aspect_ratio = 1;
  // 3000x10 scaled to a width of 10 would be 0.03 pixels high.
  Image picture = resized(test::pattern(3000, 10));
  EXPECT_FALSE(picture);
}

// ---------------------------------------------------------------------------
// Flip

using FlipTest = test::OperationTest;

TEST_F(FlipTest, EachFlipMirrorsItsOwnWay) {
  const Image source = test::reference_photo("base_only.png");
  ASSERT_TRUE(source);
  const auto before = raster_of(source);
  const int w = before.width;
  const int h = before.height;

  g_settings.do_image_flip_horizontal = 1;
  Image mirrored = adopt(FreeImage_Clone(source.get()));
  flip(mirrored);
  const auto left_right = raster_of(mirrored);

  g_settings.do_image_flip_horizontal = 0;
  g_settings.do_image_flip_vertical = 1;
  Image upside_down = adopt(FreeImage_Clone(source.get()));
  flip(upside_down);
  const auto top_bottom = raster_of(upside_down);

  int wrong = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!(left_right.at(x, y) == before.at(w - 1 - x, y))) ++wrong;
      if (!(top_bottom.at(x, y) == before.at(x, h - 1 - y))) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(FlipTest, BothFlipsEqualAHalfTurn) {
  const Image source = test::reference_photo("base_only.png");
  ASSERT_TRUE(source);
  g_settings.do_image_flip_horizontal = 1;
  g_settings.do_image_flip_vertical = 1;
  Image flipped = adopt(FreeImage_Clone(source.get()));
  flip(flipped);

  g_settings.do_image_rotation = 1;
  g_settings.image_rotation = 180;
  const Image turned = rotate(adopt(FreeImage_Clone(source.get())));
  ASSERT_TRUE(turned);
  EXPECT_EQ(raster_of(flipped).pixels, raster_of(turned).pixels);
  EXPECT_NE(raster_of(flipped).pixels, raster_of(source).pixels);
}

TEST_F(FlipTest, SwitchedOffOrEmptyDoesNothing) {
  const Image source = test::pattern(64, 32);
  Image picture = adopt(FreeImage_Clone(source.get()));
  flip(picture);
  EXPECT_EQ(raster_of(picture).pixels, raster_of(source).pixels);

  g_settings.do_image_flip_horizontal = 1;
  g_settings.do_image_flip_vertical = 1;
  const Image empty;
  flip(empty);
  EXPECT_FALSE(empty);
}

}  // namespace
}  // namespace pixmera
