#include "photocd/orientation.h"

#include <gtest/gtest.h>

namespace pixmera::photocd {
namespace {

// Pixel i has channels (i + 1, 100 + i, 200 + i); in 3x2:
//   1 2 3
//   4 5 6
RgbImage numbered(int width, int height) {
  RgbImage image(width, height);
  for (int i = 0; i < width * height; ++i) {
    for (int c = 0; c < 3; ++c)
      image.pixels[static_cast<std::size_t>(3 * i + c)] =
          static_cast<std::uint8_t>(i + 1 + 100 * c);
  }
  return image;
}

TEST(Orientation, QuarterTurnsMatchHandDrawnResults) {
  struct Case {
    int turns;
    int width;
    std::vector<int> first_channel;
  };
  const std::vector<Case> cases{
      {0, 3, {1, 2, 3, 4, 5, 6}},
      {1, 2, {3, 6, 2, 5, 1, 4}},  // counter-clockwise: right column on top
      {2, 3, {6, 5, 4, 3, 2, 1}},
      {3, 2, {4, 1, 5, 2, 6, 3}},  // clockwise: left column, bottom first, on top
  };
  for (const Case& c : cases) {
    const RgbImage out = turn_counter_clockwise(numbered(3, 2), c.turns);
    EXPECT_EQ(out.width, c.width) << c.turns;
    EXPECT_EQ(out.height, 6 / c.width) << c.turns;
    for (std::size_t i = 0; i < c.first_channel.size(); ++i) {
      EXPECT_EQ(out.pixels[3 * i], c.first_channel[i]) << c.turns << " pixel " << i;
      EXPECT_EQ(out.pixels[3 * i + 2], c.first_channel[i] + 200) << c.turns << " pixel " << i;
    }
  }
}

TEST(Orientation, TurnsComposeOnSizesBeyondOneTile) {
  // Odd sizes larger than the 64-pixel tiles exercise the tile edges and the
  // middle row of a half turn.
  const RgbImage image = numbered(131, 67);
  auto turn = [](const RgbImage& i, int n) { return turn_counter_clockwise(i, n); };
  EXPECT_EQ(turn(turn(turn(turn(image, 1), 1), 1), 1).pixels, image.pixels);
  EXPECT_EQ(turn(turn(image, 1), 1).pixels, turn(image, 2).pixels);
  EXPECT_EQ(turn(turn(image, 1), 2).pixels, turn(image, 3).pixels);
}

}  // namespace
}  // namespace pixmera::photocd
