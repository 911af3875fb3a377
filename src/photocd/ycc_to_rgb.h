// PhotoYCC to sRGB on Kodak's scale: reference white at Y = 182, chroma zero
// at C1 = 156 and C2 = 137, 111.40 and 135.64 steps per unit of chroma.
#pragma once

#include <cstdint>

#include "photocd/plane.h"

namespace pixmera::photocd {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// One sample, for callers and checks that need a single value.
Rgb ycc_to_rgb(std::uint8_t y, std::uint8_t c1, std::uint8_t c2);

// The whole picture: full-size luma, chroma at half size, interpolated to full
// size on the way exactly as the levels themselves are predicted.
RgbImage ycc_to_rgb(const YccPlanes& planes, ChannelOrder order);

}  // namespace pixmera::photocd
