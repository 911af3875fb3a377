#include "photocd/ycc_to_rgb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "photocd/upsample.h"

namespace pixmera::photocd {
namespace {

// Kodak's PhotoYCC scale written out in floating point, as the format
// describes it: R = 1.402 y/255 + c2/135.64, G = 1.402 y/255 -
// (0.114/0.587) c1/111.40 - (0.299/0.587) c2/135.64, B = 1.402 y/255 +
// c1/111.40, clipped to 0..1, times 255, rounded.
Rgb kodak_scale(int y, int c1_raw, int c2_raw) {
  const double c1 = c1_raw - 156.0;
  const double c2 = c2_raw - 137.0;
  const double luma = 1.402 * y / 255.0;
  const double r = luma + c2 / 135.64;
  const double g = luma - (0.114 / 0.587) * c1 / 111.40 - (0.299 / 0.587) * c2 / 135.64;
  const double b = luma + c1 / 111.40;
  auto byte = [](double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
  };
  return {byte(r), byte(g), byte(b)};
}

TEST(YccToRgb, ReferencePointsOfTheScale) {
  // White at Y = 182 (1.402 * 182 = 255.2), black at 0, neutral chroma.
  EXPECT_EQ(ycc_to_rgb(182, 156, 137), (Rgb{255, 255, 255}));
  EXPECT_EQ(ycc_to_rgb(0, 156, 137), (Rgb{0, 0, 0}));
  // Y = 91: 127.58 -> 128 on every channel.
  EXPECT_EQ(ycc_to_rgb(91, 156, 137), (Rgb{128, 128, 128}));
  // Y = 100, C1 = 176: blue 140.2 + 20 * 255 / 111.4 = 185.98 -> 186, green
  // 140.2 - 0.19421 * 45.78 = 131.31 -> 131, red 140.2 -> 140.
  EXPECT_EQ(ycc_to_rgb(100, 176, 137), (Rgb{140, 131, 186}));
  // Y = 100, C2 = 117: red 140.2 - 20 * 255 / 135.64 = 102.6 -> 103, green
  // 140.2 + 0.50937 * 37.60 = 159.35 -> 159.
  EXPECT_EQ(ycc_to_rgb(100, 156, 117), (Rgb{103, 159, 140}));
  // Past the scale's white neutral colours clip instead of wrapping; so do
  // chroma extremes (Y = 0, C1 = 0: blue 0 - 156 * 2.289).
  EXPECT_EQ(ycc_to_rgb(255, 156, 137), (Rgb{255, 255, 255}));
  EXPECT_EQ(ycc_to_rgb(0, 0, 137).b, 0);
  EXPECT_EQ(ycc_to_rgb(182, 255, 137).b, 255);
}

TEST(YccToRgb, FixedPointStaysWithinOneStepOfTheScale) {
  int off_by_one = 0;
  int samples = 0;
  for (int y = 0; y < 256; y += 3) {
    for (int c1 = 0; c1 < 256; c1 += 5) {
      for (int c2 = 0; c2 < 256; c2 += 5) {
        const Rgb got = ycc_to_rgb(static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(c1),
                                   static_cast<std::uint8_t>(c2));
        const Rgb want = kodak_scale(y, c1, c2);
        for (auto [a, b] : {std::pair{got.r, want.r}, {got.g, want.g}, {got.b, want.b}}) {
          ASSERT_LE(std::abs(a - b), 1) << y << " " << c1 << " " << c2;
          off_by_one += a != b;
          ++samples;
        }
      }
    }
  }
  // Off by one only where the exact value sits on a rounding boundary.
  EXPECT_LT(off_by_one, samples / 1000);
}

// 1030 samples wide: more than two of the converter's internal pieces.
TEST(YccToRgb, PlaneChromaIsInterpolatedLikeTheLevels) {
  constexpr int w = 1030;
  std::mt19937 random(7);
  YccPlanes planes{Plane(w, 6), Plane(w / 2, 3), Plane(w / 2, 3)};
  for (Plane* p : {&planes.luma, &planes.chroma1, &planes.chroma2}) {
    for (auto& v : p->samples) v = static_cast<std::uint8_t>(random() % 256);
  }
  const Plane c1 = upsample(planes.chroma1);
  const Plane c2 = upsample(planes.chroma2);
  const RgbImage rgb = ycc_to_rgb(planes, ChannelOrder::rgb);
  const RgbImage bgr = ycc_to_rgb(planes, ChannelOrder::bgr);
  ASSERT_EQ(rgb.width, w);
  ASSERT_EQ(rgb.height, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb want = ycc_to_rgb(planes.luma.row(y)[x], c1.row(y)[x], c2.row(y)[x]);
      const std::uint8_t* p = rgb.row(y) + 3 * x;
      ASSERT_EQ((Rgb{p[0], p[1], p[2]}), want) << x << "," << y;
      const std::uint8_t* q = bgr.row(y) + 3 * x;
      ASSERT_EQ((Rgb{q[2], q[1], q[0]}), want) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace pixmera::photocd
