#include "photocd/colour_rendering.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "photocd/avx2_copies.h"

namespace pixmera::photocd {

namespace {

constexpr std::array<std::string_view, 2> highlight_words{"CLIP", "ROLLOFF"};
constexpr std::array<std::string_view, 4> colour_space_words{"SRGB", "ADOBE_RGB", "PROPHOTO",
                                                             "LINEAR"};

struct Primaries {
  std::array<double, 8> xy;
};
constexpr double d50_x = 0.9642 / (0.9642 + 1.0 + 0.8249);
constexpr double d50_y = 1.0 / (0.9642 + 1.0 + 0.8249);
constexpr Primaries srgb_primaries{{0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.3290}};
constexpr Primaries adobe_primaries{{0.64, 0.33, 0.21, 0.71, 0.15, 0.06, 0.3127, 0.3290}};
constexpr Primaries romm_primaries{{0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001, d50_x, d50_y}};

using Matrix = std::array<double, 9>;
using Vector = std::array<double, 3>;

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      for (int k = 0; k < 3; ++k) m[3 * r + c] += a[3 * r + k] * b[3 * k + c];
    }
  }
  return m;
}

Vector apply_to(const Matrix& m, const Vector& v) {
  return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
          m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Matrix inverse(const Matrix& m) {
  const double a = m[4] * m[8] - m[5] * m[7];
  const double b = m[5] * m[6] - m[3] * m[8];
  const double c = m[3] * m[7] - m[4] * m[6];
  const double det = m[0] * a + m[1] * b + m[2] * c;
  return {a / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
          b / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
          c / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det};
}

Vector xyz_of(double x, double y) { return {x / y, 1.0, (1.0 - x - y) / y}; }

// Linear RGB to XYZ: the primaries' XYZ as columns, scaled so that
// (1, 1, 1) is the white.
Matrix rgb_to_xyz(const Primaries& p) {
  const Vector r = xyz_of(p.xy[0], p.xy[1]);
  const Vector g = xyz_of(p.xy[2], p.xy[3]);
  const Vector b = xyz_of(p.xy[4], p.xy[5]);
  const Matrix columns{r[0], g[0], b[0], r[1], g[1], b[1], r[2], g[2], b[2]};
  const Vector s = apply_to(inverse(columns), xyz_of(p.xy[6], p.xy[7]));
  return {r[0] * s[0], g[0] * s[1], b[0] * s[2], r[1] * s[0], g[1] * s[1],
          b[1] * s[2], r[2] * s[0], g[2] * s[1], b[2] * s[2]};
}

// Bradford's cone response: XYZ of one white to XYZ of another.
Matrix bradford(const Vector& from, const Vector& to) {
  const Matrix cone{0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
  const Vector f = apply_to(cone, from);
  const Vector t = apply_to(cone, to);
  const Matrix scale{t[0] / f[0], 0, 0, 0, t[1] / f[1], 0, 0, 0, t[2] / f[2]};
  return multiply(inverse(cone), multiply(scale, cone));
}

const Primaries& primaries_of(ColourSpace space) {
  switch (space) {
    case ColourSpace::adobe_rgb:
      return adobe_primaries;
    case ColourSpace::prophoto:
      return romm_primaries;
    default:
      return srgb_primaries;
  }
}

double odd_power(double value, double exponent) {
  return std::copysign(std::pow(std::abs(value), exponent), value);
}

// Decoded values run from about -1.4 to 2.3; the table covers -2..3.
constexpr int decode_steps = 1280;
constexpr double decode_low = -2.0;
constexpr int decode_nodes = 5 * decode_steps + 1;

// The encoding table's nodes: the float's exponent and top 7 bits of its
// mantissa, from 2^-40 up to 2^4.
constexpr std::uint32_t encode_first = (127u - 40u) << 7;
constexpr std::uint32_t encode_end = (127u + 4u) << 7;
constexpr float encode_smallest = 0x1p-40f;
constexpr float encode_largest = 0x1p4f;

}  // namespace

std::optional<Highlights> highlights_from_word(std::string_view word) {
  for (std::size_t i = 0; i < highlight_words.size(); ++i) {
    if (highlight_words[i] == word) return static_cast<Highlights>(i);
  }
  return std::nullopt;
}

std::optional<ColourSpace> colour_space_from_word(std::string_view word) {
  for (std::size_t i = 0; i < colour_space_words.size(); ++i) {
    if (colour_space_words[i] == word) return static_cast<ColourSpace>(i);
  }
  return std::nullopt;
}

std::string_view highlights_word(Highlights highlights) {
  return highlight_words[static_cast<std::size_t>(highlights)];
}

std::string_view colour_space_word(ColourSpace space) {
  return colour_space_words[static_cast<std::size_t>(space)];
}

double rolled_off(double encoded) {
  if (encoded <= highlight_knee) return encoded;
  const double width = 1.0 - highlight_knee;
  return 1.0 - width * std::exp(-(encoded - highlight_knee) / width);
}

double srgb_to_linear(double encoded) {
  const double a = std::abs(encoded);
  const double linear = a <= 0.04045 ? a / 12.92 : std::pow((a + 0.055) / 1.055, 2.4);
  return std::copysign(linear, encoded);
}

double linear_to_encoded(ColourSpace space, double linear) {
  switch (space) {
    case ColourSpace::adobe_rgb:
      return odd_power(linear, 256.0 / 563.0);
    case ColourSpace::prophoto:
      return odd_power(linear, 1.0 / 1.8);
    case ColourSpace::linear:
      return linear;
    case ColourSpace::srgb:
      break;
  }
  const double a = std::abs(linear);
  const double encoded = a <= 0.0031308 ? a * 12.92 : 1.055 * std::pow(a, 1.0 / 2.4) - 0.055;
  return std::copysign(encoded, linear);
}

std::array<double, 8> chromaticities(ColourSpace space) { return primaries_of(space).xy; }

std::array<double, 9> linear_srgb_to(ColourSpace space) {
  const Primaries& target = primaries_of(space);
  const Matrix adapt = bradford(xyz_of(srgb_primaries.xy[6], srgb_primaries.xy[7]),
                                xyz_of(target.xy[6], target.xy[7]));
  return multiply(inverse(rgb_to_xyz(target)), multiply(adapt, rgb_to_xyz(srgb_primaries)));
}

ColourRendering::ColourRendering(ColourChoice choice, bool bounded)
    : choice_(choice), bounded_(bounded) {
  // The plain conversion needs no tables.
  if (!changes_pixels()) return;
  const bool other_space = choice.space != ColourSpace::srgb;
  const bool rolloff = bounded && choice.highlights == Highlights::rolloff;
  decode_table_.resize(decode_nodes);
  for (int i = 0; i < decode_nodes; ++i) {
    // Exact multiples of 1/1280 from -2: the knee and white are nodes.
    const double x = static_cast<double>(i - 2 * decode_steps) / decode_steps;
    double value = x;
    if (bounded) value = rolloff ? rolled_off(x) : std::min(x, 1.0);
    if (other_space) value = srgb_to_linear(value);
    decode_table_[static_cast<std::size_t>(i)] = static_cast<float>(value);
  }
  if (other_space) {
    const std::array<double, 9> m = linear_srgb_to(choice.space);
    std::array<float, 9> single{};
    std::transform(m.begin(), m.end(), single.begin(),
                   [](double v) { return static_cast<float>(v); });
    matrix_ = single;
    encode_table_.resize(encode_end - encode_first + 1);
    for (std::uint32_t j = encode_first; j <= encode_end; ++j) {
      const float node = std::bit_cast<float>(j << 16);
      encode_table_[j - encode_first] =
          static_cast<float>(linear_to_encoded(choice.space, static_cast<double>(node)));
    }
  }
  if (rolloff && !other_space) {
    byte_table_.resize(2 * byte_table_offset);
    for (int n = -byte_table_offset; n < byte_table_offset; ++n) {
      const double value = rolled_off(n / 255.0);
      byte_table_[static_cast<std::size_t>(n + byte_table_offset)] =
          static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
    }
  }
}

bool ColourRendering::changes_pixels() const {
  if (choice_.space != ColourSpace::srgb) return true;
  return bounded_ && choice_.highlights == Highlights::rolloff;
}

namespace {

// The pixel loops run over one channel at a time, so the arithmetic between
// the table reads vectorises; the AVX2 copies read the tables eight values
// at a time. The tables never overlap the values (__restrict), which the
// compiler must know before it reads them for many values at once. Clipping
// is done on integers throughout: the compiler clips integers many at a
// time, floats (because of NaN) one by one. Decoded values lie well inside
// the table, so the clipped node only matters for values that never occur.
template <bool above_knee_only>
PIXMERA_ALSO_FOR_AVX2 void decode_channel(const float* __restrict table, float* __restrict values,
                                          int count) {
  const float knee = static_cast<float>(highlight_knee);
  constexpr std::int32_t last = decode_nodes - 2;
  for (int i = 0; i < count; ++i) {
    const float v = values[i];
    const float at = (v - static_cast<float>(decode_low)) * static_cast<float>(decode_steps);
    std::int32_t node = static_cast<std::int32_t>(at);
    node = node < 0 ? 0 : (node > last ? last : node);
    const float fraction = at - static_cast<float>(node);
    const float low = table[node];
    const float decoded = low + fraction * (table[node + 1] - low);
    if constexpr (above_knee_only) {
      values[i] = v > knee ? decoded : v;
    } else {
      values[i] = decoded;
    }
  }
}

PIXMERA_ALSO_FOR_AVX2 void mix_channels(const std::array<float, 9>& m, float* __restrict red,
                                        float* __restrict green, float* __restrict blue,
                                        int count) {
  for (int i = 0; i < count; ++i) {
    const float r = red[i];
    const float g = green[i];
    const float b = blue[i];
    red[i] = m[0] * r + m[1] * g + m[2] * b;
    green[i] = m[3] * r + m[4] * g + m[5] * b;
    blue[i] = m[6] * r + m[7] * g + m[8] * b;
  }
}

// 0..1 through the table of the output curve; anything below 2^-40 ends
// within a millionth of black. A positive float's bits order like the
// float, and every negative one's are a negative integer, so the clipping
// is done on the bits.
PIXMERA_ALSO_FOR_AVX2 void encode_bounded_channel(const float* __restrict table,
                                                  float* __restrict values, int count) {
  constexpr auto smallest = static_cast<std::int32_t>(encode_first << 16);
  constexpr std::int32_t one = 0x3F800000;
  for (int i = 0; i < count; ++i) {
    std::int32_t bits = std::bit_cast<std::int32_t>(values[i]);
    bits = bits < smallest ? smallest : (bits > one ? one : bits);
    const std::int32_t node = (bits >> 16) - static_cast<std::int32_t>(encode_first);
    const float fraction = static_cast<float>(bits & 0xFFFF) * (1.0f / 65536.0f);
    const float low = table[node];
    values[i] = low + fraction * (table[node + 1] - low);
  }
}

}  // namespace

float ColourRendering::encode(float linear) const {
  if (choice_.space == ColourSpace::linear) return linear;
  const float size = std::abs(linear);
  if (!(size >= encode_smallest)) return 0.0f;
  if (size >= encode_largest) {
    return static_cast<float>(linear_to_encoded(choice_.space, static_cast<double>(linear)));
  }
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(size);
  const std::size_t j = (bits >> 16) - encode_first;
  const float fraction = static_cast<float>(bits & 0xFFFFu) * (1.0f / 65536.0f);
  const float low = encode_table_[j];
  const float value = low + fraction * (encode_table_[j + 1] - low);
  return linear < 0.0f ? -value : value;
}

void ColourRendering::apply(float* red, float* green, float* blue, int count) const {
  // sRGB with rolled-off highlights leaves the values up to the knee exactly
  // as they are.
  for (float* channel : {red, green, blue}) {
    if (matrix_) {
      decode_channel<false>(decode_table_.data(), channel, count);
    } else {
      decode_channel<true>(decode_table_.data(), channel, count);
    }
  }
  if (!matrix_) return;
  mix_channels(*matrix_, red, green, blue, count);
  for (float* channel : {red, green, blue}) {
    if (bounded_ && choice_.space == ColourSpace::linear) {
      // Clipped where the samples are made.
    } else if (bounded_) {
      encode_bounded_channel(encode_table_.data(), channel, count);
    } else {
      for (int i = 0; i < count; ++i) channel[i] = encode(channel[i]);
    }
  }
}

}  // namespace pixmera::photocd
