// Sample buffers the decoder works on: one 8-bit plane per YCC component, and
// the interleaved RGB picture it hands back.
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

}  // namespace pixmera::photocd
