#include "photocd/ycc_to_rgb.h"

#include <algorithm>
#include <cstring>

#include "photocd/avx2_copies.h"
#include "photocd/upsample.h"

namespace pixmera::photocd {

namespace {

// sRGB * 255 = 1.402 Y + c2 * 255 / 135.64                       (red)
//            = 1.402 Y - c1 * 255 * 0.114 / (0.587 * 111.40)
//                      - c2 * 255 * 0.299 / (0.587 * 135.64)     (green)
//            = 1.402 Y + c1 * 255 / 111.40                       (blue)
// with c1 = C1 - 156, c2 = C2 - 137, computed in 16.16 fixed point. The
// products stay far inside 32 bits, and plain arithmetic rather than tables
// lets the compiler work on many samples at once.
constexpr int fraction_bits = 16;
constexpr double one = 1 << fraction_bits;
constexpr std::int32_t fixed(double value) {
  return static_cast<std::int32_t>(value * one + (value < 0 ? -0.5 : 0.5));
}
constexpr std::int32_t luma_gain = fixed(1.402);
constexpr std::int32_t blue_per_c1 = fixed(255.0 / 111.40);
constexpr std::int32_t red_per_c2 = fixed(255.0 / 135.64);
constexpr std::int32_t green_per_c1 = fixed(-0.114 / 0.587 * 255.0 / 111.40);
constexpr std::int32_t green_per_c2 = fixed(-0.299 / 0.587 * 255.0 / 135.64);
constexpr std::int32_t c1_zero = 156;
constexpr std::int32_t c2_zero = 137;
constexpr std::int32_t half = 1 << (fraction_bits - 1);

inline std::uint8_t to_byte(std::int32_t value) {
  value >>= fraction_bits;
  return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// Rows are converted in pieces this long: the three channel buffers stay in
// the first-level cache, and each loop is simple enough to vectorise.
constexpr int piece = 512;

// The 8-bit conversion multiplies 32-bit integers, which the x86-64 baseline
// (SSE2) has no vector instruction for; on processors with AVX2 a second
// copy of the loop does eight at a time. Integer arithmetic gives the same
// bytes in both copies. (The 16-bit conversion keeps one copy: floating
// point could contract into fused multiply-adds there and round otherwise.)

PIXMERA_ALSO_FOR_AVX2 void convert_row(const std::uint8_t* y, const std::uint8_t* c1,
                                       const std::uint8_t* c2, int width, ChannelOrder order,
                                       std::uint8_t* out) {
  std::uint8_t red[piece];
  std::uint8_t green[piece];
  std::uint8_t blue[piece];
  const int first = order == ChannelOrder::rgb ? 0 : 2;
  for (int start = 0; start < width; start += piece) {
    const int n = std::min(piece, width - start);
    for (int x = 0; x < n; ++x) {
      const std::int32_t luma = luma_gain * y[start + x] + half;
      const std::int32_t blue_difference = c1[start + x] - c1_zero;
      const std::int32_t red_difference = c2[start + x] - c2_zero;
      red[x] = to_byte(luma + red_per_c2 * red_difference);
      green[x] = to_byte(luma + green_per_c1 * blue_difference + green_per_c2 * red_difference);
      blue[x] = to_byte(luma + blue_per_c1 * blue_difference);
    }
    std::uint8_t* o = out + 3 * start;
    for (int x = 0; x < n; ++x) {
      o[3 * x + first] = red[x];
      o[3 * x + 1] = green[x];
      o[3 * x + 2 - first] = blue[x];
    }
  }
}

// The 16-bit conversion keeps the unrounded matrix: single precision holds a
// 16-bit result to well under a thousandth of a step.
constexpr float luma_scale = 1.402f / 255.0f;
constexpr float blue_per_c1_unit = 1.0f / 111.40f;
constexpr float red_per_c2_unit = 1.0f / 135.64f;
constexpr float green_per_c1_unit = -0.114f / 0.587f / 111.40f;
constexpr float green_per_c2_unit = -0.299f / 0.587f / 135.64f;

// Scaled and rounded first, then clipped as an integer: the compiler does
// integer clipping many samples at a time, float clipping (because of NaN)
// one by one. A matrix result lies within -2..3, far inside 32 bits.
inline std::uint16_t to_sample16(float value) {
  const auto scaled = static_cast<std::int32_t>(value * 65535.0f + 0.5f);
  return static_cast<std::uint16_t>(scaled < 0 ? 0 : (scaled > 65535 ? 65535 : scaled));
}

void convert_row48(const std::uint8_t* y, const std::uint8_t* c1, const std::uint8_t* c2, int width,
                   std::uint8_t* out) {
  std::uint16_t red[piece];
  std::uint16_t green[piece];
  std::uint16_t blue[piece];
  for (int start = 0; start < width; start += piece) {
    const int n = std::min(piece, width - start);
    for (int x = 0; x < n; ++x) {
      const float luma = luma_scale * static_cast<float>(y[start + x]);
      const auto blue_difference = static_cast<float>(c1[start + x] - c1_zero);
      const auto red_difference = static_cast<float>(c2[start + x] - c2_zero);
      red[x] = to_sample16(luma + red_per_c2_unit * red_difference);
      green[x] = to_sample16(luma + green_per_c1_unit * blue_difference +
                             green_per_c2_unit * red_difference);
      blue[x] = to_sample16(luma + blue_per_c1_unit * blue_difference);
    }
    std::uint8_t* o = out + 6 * start;
    for (int x = 0; x < n; ++x) {
      o[6 * x] = static_cast<std::uint8_t>(red[x] >> 8);
      o[6 * x + 1] = static_cast<std::uint8_t>(red[x]);
      o[6 * x + 2] = static_cast<std::uint8_t>(green[x] >> 8);
      o[6 * x + 3] = static_cast<std::uint8_t>(green[x]);
      o[6 * x + 4] = static_cast<std::uint8_t>(blue[x] >> 8);
      o[6 * x + 5] = static_cast<std::uint8_t>(blue[x]);
    }
  }
}

// The 8-bit conversion of convert_row(), each channel's rounded result then
// looked up in a table of the rendering instead of clipped.
void convert_row_through_table(const std::uint8_t* y, const std::uint8_t* c1,
                               const std::uint8_t* c2, int width, ChannelOrder order,
                               const std::uint8_t* table, std::uint8_t* out) {
  constexpr int offset = ColourRendering::byte_table_offset;
  const auto look_up = [table](std::int32_t value) {
    return table[std::clamp((value >> fraction_bits) + offset, 0, 2 * offset - 1)];
  };
  const int first = order == ChannelOrder::rgb ? 0 : 2;
  for (int x = 0; x < width; ++x) {
    const std::int32_t luma = luma_gain * y[x] + half;
    const std::int32_t blue_difference = c1[x] - c1_zero;
    const std::int32_t red_difference = c2[x] - c2_zero;
    out[3 * x + first] = look_up(luma + red_per_c2 * red_difference);
    out[3 * x + 1] = look_up(luma + green_per_c1 * blue_difference + green_per_c2 * red_difference);
    out[3 * x + 2 - first] = look_up(luma + blue_per_c1 * blue_difference);
  }
}

// The matrix's values before anything is clipped, computed exactly as
// convert_row48() computes them.
void decoded_row(const std::uint8_t* __restrict y, const std::uint8_t* __restrict c1,
                 const std::uint8_t* __restrict c2, int width, float* __restrict red,
                 float* __restrict green, float* __restrict blue) {
  for (int x = 0; x < width; ++x) {
    const float luma = luma_scale * static_cast<float>(y[x]);
    const auto blue_difference = static_cast<float>(c1[x] - c1_zero);
    const auto red_difference = static_cast<float>(c2[x] - c2_zero);
    red[x] = luma + red_per_c2_unit * red_difference;
    green[x] = luma + green_per_c1_unit * blue_difference + green_per_c2_unit * red_difference;
    blue[x] = luma + blue_per_c1_unit * blue_difference;
  }
}

inline std::uint8_t to_sample8(float value) {
  const auto scaled = static_cast<std::int32_t>(value * 255.0f + 0.5f);
  return static_cast<std::uint8_t>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
}

// Decoded values of one piece of a row written in `form`: the samples made
// first, channel by channel, then laid out, as convert_row48() does it.
void write_decoded(const float* __restrict red, const float* __restrict green,
                   const float* __restrict blue, int width, PixelForm form,
                   std::uint8_t* __restrict out) {
  switch (form) {
    case PixelForm::rgb24:
    case PixelForm::bgr24: {
      std::uint8_t samples[3][piece];
      for (int x = 0; x < width; ++x) {
        samples[0][x] = to_sample8(red[x]);
        samples[1][x] = to_sample8(green[x]);
        samples[2][x] = to_sample8(blue[x]);
      }
      const int first = form == PixelForm::rgb24 ? 0 : 2;
      for (int x = 0; x < width; ++x) {
        out[3 * x + first] = samples[0][x];
        out[3 * x + 1] = samples[1][x];
        out[3 * x + 2 - first] = samples[2][x];
      }
      return;
    }
    case PixelForm::rgb48: {
      std::uint16_t samples[3][piece];
      for (int x = 0; x < width; ++x) {
        samples[0][x] = to_sample16(red[x]);
        samples[1][x] = to_sample16(green[x]);
        samples[2][x] = to_sample16(blue[x]);
      }
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
          out[6 * x + 2 * c] = static_cast<std::uint8_t>(samples[c][x] >> 8);
          out[6 * x + 2 * c + 1] = static_cast<std::uint8_t>(samples[c][x]);
        }
      }
      return;
    }
    case PixelForm::rgb96f:
      for (int x = 0; x < width; ++x) {
        const float samples[3] = {red[x], green[x], blue[x]};
        std::memcpy(out + 12 * x, samples, sizeof samples);
      }
      return;
  }
}

// One piece of a row through a rendering (or none, for floating point):
// the 8-bit table when only each channel's own value counts, else the
// decoded values through the rendering's arithmetic.
void convert_rendered(const std::uint8_t* y, const std::uint8_t* c1, const std::uint8_t* c2,
                      int width, PixelForm form, const ColourRendering* rendering,
                      std::uint8_t* out) {
  const bool eight_bits = form == PixelForm::rgb24 || form == PixelForm::bgr24;
  if (rendering != nullptr && eight_bits && rendering->per_channel()) {
    convert_row_through_table(y, c1, c2, width,
                              form == PixelForm::rgb24 ? ChannelOrder::rgb : ChannelOrder::bgr,
                              rendering->byte_table().data(), out);
    return;
  }
  float red[piece];
  float green[piece];
  float blue[piece];
  decoded_row(y, c1, c2, width, red, green, blue);
  if (rendering != nullptr) rendering->apply(red, green, blue, width);
  write_decoded(red, green, blue, width, form, out);
}

// Full-size chroma samples `first` to `first + count - 1` of row `y`, the
// values upsample() gives there. Besides the samples under them, the odd
// ones need the next source sample, so one more is interpolated than used:
// the last pair of a partial row is the one widen_row() and blend_rows() fill
// as a row's end, and it is only kept where the row really ends there.
inline void chroma_pixels(const Plane& chroma, int y, int first, int count, std::uint8_t* out) {
  const int x0 = first / 2;
  const int last = (first + count - 1) / 2;
  const int n = std::min(last + 2, chroma.width) - x0;
  // At most count / 2 + 3 source samples for a piece starting at an odd
  // column.
  std::uint8_t wide[2 * (piece / 2 + 3)];
  const int source = y / 2;
  if (y % 2 == 1 && source + 1 < chroma.height) {
    blend_rows(chroma.row(source) + x0, chroma.row(source + 1) + x0, n, wide);
  } else {
    widen_row(chroma.row(source) + x0, n, wide);
  }
  std::copy_n(wide + (first - 2 * x0), count, out);
}

}  // namespace

Rgb ycc_to_rgb(std::uint8_t y, std::uint8_t c1, std::uint8_t c2) {
  std::uint8_t out[3];
  convert_row(&y, &c1, &c2, 1, ChannelOrder::rgb, out);
  return {out[0], out[1], out[2]};
}

Rgb48 ycc_to_rgb48(std::uint8_t y, std::uint8_t c1, std::uint8_t c2) {
  std::uint8_t out[6];
  convert_row48(&y, &c1, &c2, 1, out);
  return {static_cast<std::uint16_t>(out[0] << 8 | out[1]),
          static_cast<std::uint16_t>(out[2] << 8 | out[3]),
          static_cast<std::uint16_t>(out[4] << 8 | out[5])};
}

std::size_t bytes_per_pixel(PixelForm form) {
  switch (form) {
    case PixelForm::rgb48:
      return 6;
    case PixelForm::rgb96f:
      return 12;
    default:
      return 3;
  }
}

void convert_pixels(const YccPlanes& planes, int y, int first, int count, PixelForm form,
                    std::uint8_t* out, const ColourRendering* rendering) {
  std::uint8_t c1[piece];
  std::uint8_t c2[piece];
  if (rendering != nullptr && !rendering->changes_pixels()) rendering = nullptr;
  const std::uint8_t* luma = planes.luma.row(y);
  const std::size_t pixel_bytes = bytes_per_pixel(form);
  for (int start = first; start < first + count; start += piece) {
    const int n = std::min(piece, first + count - start);
    chroma_pixels(planes.chroma1, y, start, n, c1);
    chroma_pixels(planes.chroma2, y, start, n, c2);
    std::uint8_t* o = out + static_cast<std::size_t>(start - first) * pixel_bytes;
    if (rendering != nullptr || form == PixelForm::rgb96f) {
      convert_rendered(luma + start, c1, c2, n, form, rendering, o);
    } else if (form == PixelForm::rgb48) {
      convert_row48(luma + start, c1, c2, n, o);
    } else {
      convert_row(luma + start, c1, c2, n,
                  form == PixelForm::rgb24 ? ChannelOrder::rgb : ChannelOrder::bgr, o);
    }
  }
}

Rgb48Image ycc_to_rgb48(const YccPlanes& planes) {
  const Plane& luma = planes.luma;
  Rgb48Image image(luma.width, luma.height);
  for (int y = 0; y < luma.height; ++y) {
    convert_pixels(planes, y, 0, luma.width, PixelForm::rgb48, image.row(y));
  }
  return image;
}

RgbImage ycc_to_rgb(const YccPlanes& planes, ChannelOrder order) {
  const Plane& luma = planes.luma;
  RgbImage image(luma.width, luma.height, order);
  const PixelForm form = order == ChannelOrder::rgb ? PixelForm::rgb24 : PixelForm::bgr24;
  for (int y = 0; y < luma.height; ++y)
    convert_pixels(planes, y, 0, luma.width, form, image.row(y));
  return image;
}

}  // namespace pixmera::photocd
