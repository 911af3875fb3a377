// Colour adjustment: brightness, contrast, gamma and inversion through one
// lookup table, applied to the picture in place.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// FreeImage_AdjustColors works on 8, 24 and 32-bit standard bitmaps only and
// leaves anything else untouched without a word, so every other picture,
// 16-bit ones included, is brought to 24 bits first. Pictures of 16 bits per
// sample keep them and go through a table of their own.
bool needs_24_bits(const Image& picture) {
  if (is_rgb16(picture) || is_grey16(picture)) return false;
  const unsigned bpp = bpp_of(picture);
  return type_of(picture) != FIT_BITMAP || (bpp != 8 && bpp != 24 && bpp != 32);
}

// The curve of FreeImage's 8-bit table (contrast about level 128, then
// brightness, then gamma, each clipped to 0..255, then the inversion)
// evaluated at every 16-bit level, read as 0..255 with fractions. On the
// levels an 8-bit picture can hold it gives FreeImage's own values, to the
// nearest 16-bit step.
std::vector<uint16_t> adjustment_table_16(double brightness, double contrast, double gamma,
                                          bool invert) {
  std::vector<uint16_t> table(65536);
  for (size_t level = 0; level < table.size(); ++level) {
    double value = static_cast<double>(level) / 257.0;
    if (contrast != 0.0)
      value = std::clamp(128.0 + (value - 128.0) * (100.0 + contrast) / 100.0, 0.0, 255.0);
    if (brightness != 0.0) value = std::clamp(value * (100.0 + brightness) / 100.0, 0.0, 255.0);
    if (gamma > 0.0 && gamma != 1.0) {
      const double exponent = 1.0 / gamma;
      value =
          std::clamp(std::pow(value, exponent) * 255.0 * std::pow(255.0, -exponent), 0.0, 255.0);
    }
    auto adjusted = static_cast<uint16_t>(std::lround(value * 257.0));
    if (invert) adjusted = static_cast<uint16_t>(65535 - adjusted);
    table[level] = adjusted;
  }
  return table;
}

void adjust_colors_16(FIBITMAP* picture, const std::vector<uint16_t>& table) {
  const unsigned samples_per_row =
      FreeImage_GetWidth(picture) * (FreeImage_GetImageType(picture) == FIT_RGB16 ? 3 : 1);
  for (unsigned y = 0; y < FreeImage_GetHeight(picture); ++y) {
    auto* row = reinterpret_cast<uint16_t*>(FreeImage_GetScanLine(picture, static_cast<int>(y)));
    for (unsigned i = 0; i < samples_per_row; ++i) row[i] = table[row[i]];
  }
}

}  // namespace

Image adjust_colors(Image picture) {
  const Settings& s = g_settings;
  if (!picture || s.do_image_color_correction == 0) return picture;
  // The 16-bit table's curve clips to the levels a file holds, so a
  // floating-point picture is adjusted as the 16-bit one it would be.
  picture = floats_to_rgb16(std::move(picture));
  if (!picture) return picture;
  if (is_rgb16(picture) || is_grey16(picture)) {
    adjust_colors_16(picture.get(), adjustment_table_16(s.image_brightness, s.image_contrast,
                                                        s.image_gamma, s.image_invert != 0));
    return picture;
  }
  if (needs_24_bits(picture)) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  // Its result is FALSE as well when all four values are neutral, so it
  // tells nothing about failure; the depth check above is what guards it.
  FreeImage_AdjustColors(picture.get(), s.image_brightness, s.image_contrast, s.image_gamma,
                         s.image_invert != 0 ? TRUE : FALSE);
  return picture;
}

}  // namespace pixmera
