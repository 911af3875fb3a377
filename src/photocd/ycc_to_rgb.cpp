#include "photocd/ycc_to_rgb.h"

#include <array>
#include <cmath>
#include <vector>

#include "photocd/upsample.h"

namespace pixmera::photocd {

namespace {

// sRGB * 255 = 1.402 Y + c2 * 255 / 135.64                       (red)
//            = 1.402 Y - c1 * 255 * 0.114 / (0.587 * 111.40)
//                      - c2 * 255 * 0.299 / (0.587 * 135.64)     (green)
//            = 1.402 Y + c1 * 255 / 111.40                       (blue)
// with c1 = C1 - 156, c2 = C2 - 137. Each term is tabulated in 16.16 fixed
// point; the luma table carries the +0.5 that turns the final shift into
// rounding.
constexpr double luma_gain = 1.402;
constexpr double c1_zero = 156.0;
constexpr double c2_zero = 137.0;
constexpr double blue_per_c1 = 255.0 / 111.40;
constexpr double red_per_c2 = 255.0 / 135.64;
constexpr double green_per_c1 = -0.114 / 0.587 * blue_per_c1;
constexpr double green_per_c2 = -0.299 / 0.587 * red_per_c2;
constexpr int fraction_bits = 16;

struct ColourTables {
  std::array<std::int32_t, 256> luma{};
  std::array<std::int32_t, 256> red_c2{};
  std::array<std::int32_t, 256> green_c1{};
  std::array<std::int32_t, 256> green_c2{};
  std::array<std::int32_t, 256> blue_c1{};
};

std::int32_t fixed(double value) {
  return static_cast<std::int32_t>(std::lround(value * (1 << fraction_bits)));
}

const ColourTables& colour_tables() {
  static const ColourTables tables = [] {
    ColourTables t;
    for (int v = 0; v < 256; ++v) {
      const auto i = static_cast<std::size_t>(v);
      t.luma[i] = fixed(luma_gain * v + 0.5);
      t.red_c2[i] = fixed(red_per_c2 * (v - c2_zero));
      t.green_c1[i] = fixed(green_per_c1 * (v - c1_zero));
      t.green_c2[i] = fixed(green_per_c2 * (v - c2_zero));
      t.blue_c1[i] = fixed(blue_per_c1 * (v - c1_zero));
    }
    return t;
  }();
  return tables;
}

inline std::uint8_t to_byte(std::int32_t value) {
  value >>= fraction_bits;
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

void convert_row(const ColourTables& t, const std::uint8_t* y, const std::uint8_t* c1, const std::uint8_t* c2,
                 int width, std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const std::int32_t luma = t.luma[y[x]];
    out[0] = to_byte(luma + t.red_c2[c2[x]]);
    out[1] = to_byte(luma + t.green_c1[c1[x]] + t.green_c2[c2[x]]);
    out[2] = to_byte(luma + t.blue_c1[c1[x]]);
    out += 3;
  }
}

// Fills `out` with full-size chroma row `y`, the same values upsample() gives
// for that row.
void chroma_row(const Plane& chroma, int y, std::uint8_t* out) {
  const int source = y / 2;
  if (y % 2 == 1 && source + 1 < chroma.height) {
    blend_rows(chroma.row(source), chroma.row(source + 1), chroma.width, out);
  } else {
    widen_row(chroma.row(source), chroma.width, out);
  }
}

}  // namespace

Rgb ycc_to_rgb(std::uint8_t y, std::uint8_t c1, std::uint8_t c2) {
  std::uint8_t out[3];
  convert_row(colour_tables(), &y, &c1, &c2, 1, out);
  return {out[0], out[1], out[2]};
}

RgbImage ycc_to_rgb(const YccPlanes& planes) {
  const ColourTables& tables = colour_tables();
  const Plane& luma = planes.luma;
  RgbImage image(luma.width, luma.height);
  std::vector<std::uint8_t> c1(static_cast<std::size_t>(luma.width));
  std::vector<std::uint8_t> c2(static_cast<std::size_t>(luma.width));
  for (int y = 0; y < luma.height; ++y) {
    chroma_row(planes.chroma1, y, c1.data());
    chroma_row(planes.chroma2, y, c2.data());
    convert_row(tables, luma.row(y), c1.data(), c2.data(), luma.width, image.row(y));
  }
  return image;
}

}  // namespace pixmera::photocd
