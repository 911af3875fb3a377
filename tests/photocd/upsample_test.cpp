#include "photocd/upsample.h"

#include <gtest/gtest.h>

#include <vector>

namespace pixmera::photocd {
namespace {

Plane make_plane(int width, int height, const std::vector<int>& values) {
  Plane plane(width, height);
  for (std::size_t i = 0; i < values.size(); ++i)
    plane.samples[i] = static_cast<std::uint8_t>(values[i]);
  return plane;
}

std::vector<int> upsampled(int width, int height, const std::vector<int>& values) {
  const Plane out = upsample(make_plane(width, height, values));
  return {out.samples.begin(), out.samples.end()};
}

// Worked by hand: even samples copied, odd ones (a+b+1)>>1 or
// (a+b+c+d+2)>>2, last row and column repeated.
TEST(Upsample, MatchesHandWorkedValues) {
  EXPECT_EQ(upsampled(2, 2, {10, 21, 30, 40}), (std::vector<int>{10, 16, 21, 21,  //
                                                                 20, 25, 31, 31,  //
                                                                 30, 35, 40, 40,  //
                                                                 30, 35, 40, 40}));
  EXPECT_EQ(upsampled(1, 2, {8, 20}), (std::vector<int>{8, 8, 14, 14, 20, 20, 20, 20}));
  EXPECT_EQ(upsampled(3, 1, {0, 100, 255}),
            (std::vector<int>{0, 50, 100, 178, 255, 255, 0, 50, 100, 178, 255, 255}));
}

TEST(Upsample, RoundsHalvesUpAndQuartersToNearest) {
  auto centre = [](std::vector<int> quad) { return upsampled(2, 2, quad)[5]; };
  EXPECT_EQ(upsampled(2, 1, {1, 2})[1], 2);  // 1.5
  EXPECT_EQ(centre({1, 2, 2, 2}), 2);        // 1.75
  EXPECT_EQ(centre({1, 1, 1, 2}), 1);        // 1.25
  EXPECT_EQ(centre({1, 2, 1, 2}), 2);        // 1.5
  EXPECT_EQ(centre({255, 255, 255, 255}), 255);
}

}  // namespace
}  // namespace pixmera::photocd
