// PhotoYCC to sRGB on Kodak's scale: reference white at Y = 182, chroma zero
// at C1 = 156 and C2 = 137, 111.40 and 135.64 steps per unit of chroma.
#pragma once

#include <cstddef>
#include <cstdint>

#include "photocd/colour_rendering.h"
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

// The same conversion at 16 bits per channel: the matrix and scale above in
// floating point, clipped to 0..1 and rounded once to 0..65535, so none of
// the fine steps between two 8-bit levels is lost. Works from the planes any
// level produces; one row at a time, each row independent of the others.
struct Rgb48 {
  std::uint16_t r = 0;
  std::uint16_t g = 0;
  std::uint16_t b = 0;
  friend bool operator==(const Rgb48&, const Rgb48&) = default;
};
Rgb48 ycc_to_rgb48(std::uint8_t y, std::uint8_t c1, std::uint8_t c2);
Rgb48Image ycc_to_rgb48(const YccPlanes& planes);

// How converted pixels are laid out: three bytes in RGB or BGR order, six
// (red, green, blue at 16 bits, each big-endian), or twelve (red, green,
// blue as 32-bit floats in the machine's byte order, not clipped: 1.0 is
// reference white).
enum class PixelForm : std::uint8_t { rgb24, bgr24, rgb48, rgb96f };
std::size_t bytes_per_pixel(PixelForm form);

// Pixels `first` to `first + count - 1` of row `y`, the same values the whole
// picture conversions give there; each row, and each part of one, can be
// converted on its own. With a rendering that changes pixels, the decoded
// values go through it before they are written in `form`.
void convert_pixels(const YccPlanes& planes, int y, int first, int count, PixelForm form,
                    std::uint8_t* out, const ColourRendering* rendering = nullptr);

}  // namespace pixmera::photocd
