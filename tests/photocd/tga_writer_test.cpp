#include "photocd/tga_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace pixmera::photocd {
namespace {

std::vector<std::uint8_t> collect(const RgbImage& image) {
  std::vector<std::uint8_t> out;
  const bool ok = write_tga(image, [&out](std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
  });
  EXPECT_TRUE(ok);
  return out;
}

TEST(TgaWriter, TopDownTwentyFourBitBlueFirst) {
  RgbImage image(2, 2);
  image.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const auto file = collect(image);
  const std::vector<std::uint8_t> header{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20};
  ASSERT_EQ(file.size(), tga_header_bytes + 12);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + tga_header_bytes), header);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + tga_header_bytes, file.end()),
            (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

  RgbImage bgr(2, 2, ChannelOrder::bgr);
  bgr.pixels = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
  EXPECT_EQ(collect(bgr), file);

  // Large enough for several of the writer's pieces, the last one partial.
  RgbImage large(1000, 777);
  RgbImage large_bgr(1000, 777, ChannelOrder::bgr);
  for (std::size_t i = 0; i < large.pixels.size(); ++i)
    large.pixels[i] = static_cast<std::uint8_t>(i * 31 % 251);
  for (std::size_t i = 0; i < large.pixels.size(); ++i)
    large_bgr.pixels[i] = large.pixels[i - i % 3 + 2 - i % 3];
  EXPECT_EQ(collect(large), collect(large_bgr));

  const auto wide = tga_header(3072, 2048);
  EXPECT_EQ(wide[12] | wide[13] << 8, 3072);
  EXPECT_EQ(wide[14] | wide[15] << 8, 2048);
}

TEST(TgaWriter, StopsWhenTheSinkFailsAndRefusesOversizedPictures) {
  int calls = 0;
  EXPECT_FALSE(write_tga(RgbImage(1000, 777),
                         [&calls](std::span<const std::uint8_t>) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
  auto accept = [](std::span<const std::uint8_t>) { return true; };
  EXPECT_FALSE(write_tga(RgbImage(70000, 1), accept));
  EXPECT_FALSE(write_tga(RgbImage(), accept));

  // Band by band from planes, made on several threads while the sink takes
  // them: a sink that fails stops the writing at once, and the threads end.
  const YccPlanes planes{Plane(3072, 2048), Plane(1536, 1024), Plane(1536, 1024)};
  for (int threads : {1, 2, 5}) {
    for (int quarter_turns : {0, 1}) {
      int bands = 0;
      EXPECT_FALSE(write_tga(
          planes, quarter_turns, [&bands](std::span<const std::uint8_t>) { return ++bands < 3; },
          threads));
      EXPECT_EQ(bands, 3) << threads << " threads, " << quarter_turns << " turns";
    }
  }
}

}  // namespace
}  // namespace pixmera::photocd
