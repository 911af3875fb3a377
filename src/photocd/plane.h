// Sample buffers the decoder works on: one 8-bit plane per YCC component, and
// the interleaved RGB pictures it hands back (8 or 16 bits per channel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixmera::photocd {

struct Plane {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> samples;  // rows top-down, no padding

  Plane() = default;
  Plane(int w, int h)
      : width(w), height(h), samples(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

  std::uint8_t* row(int y) {
    return samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
  const std::uint8_t* row(int y) const {
    return samples.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
};

// Luma at full size, both chroma planes at half width and half height.
struct YccPlanes {
  Plane luma;
  Plane chroma1;
  Plane chroma2;
};

// Targa files store blue first; decoding straight into that order saves the
// writer a pass over the picture.
enum class ChannelOrder : std::uint8_t { rgb, bgr };

struct RgbImage {
  static constexpr std::size_t bytes_per_pixel = 3;

  int width = 0;
  int height = 0;
  ChannelOrder order = ChannelOrder::rgb;
  std::vector<std::uint8_t> pixels;  // three bytes per pixel in `order`, rows top-down

  RgbImage() = default;
  RgbImage(int w, int h, ChannelOrder channel_order = ChannelOrder::rgb)
      : width(w),
        height(h),
        order(channel_order),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}

  std::uint8_t* row(int y) {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
  const std::uint8_t* row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
};

// 16 bits per channel, held as a binary PPM stores it: six bytes per pixel,
// red, green, blue, each sample big-endian. Written straight in that form,
// the picture needs no pass of its own on the way out.
struct Rgb48Image {
  static constexpr std::size_t bytes_per_pixel = 6;

  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // rows top-down, no padding

  Rgb48Image() = default;
  Rgb48Image(int w, int h)
      : width(w),
        height(h),
        pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * bytes_per_pixel) {}

  std::uint8_t* row(int y) {
    return pixels.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * bytes_per_pixel;
  }
  const std::uint8_t* row(int y) const {
    return pixels.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * bytes_per_pixel;
  }
  // Sample `channel` (0 red, 1 green, 2 blue) of pixel (x, y).
  std::uint16_t sample(int x, int y, int channel) const {
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * bytes_per_pixel + 2 * channel;
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
  }
};

}  // namespace pixmera::photocd
