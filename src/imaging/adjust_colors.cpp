// Colour adjustment: brightness, contrast, gamma and inversion through one
// lookup table, applied to the picture in place.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// FreeImage_AdjustColors works on 8, 24 and 32-bit standard bitmaps only and
// leaves anything else untouched without a word, so every other picture,
// 16-bit ones included, is brought to 24 bits first.
bool needs_24_bits(const Image& picture) {
  const unsigned bpp = bpp_of(picture);
  return FreeImage_GetImageType(picture.get()) != FIT_BITMAP ||
         (bpp != 8 && bpp != 24 && bpp != 32);
}

}  // namespace

Image adjust_colors(Image picture) {
  if (!picture || g_settings.do_image_color_correction == 0) return picture;
  if (needs_24_bits(picture)) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  // Its result is FALSE as well when all four values are neutral, so it
  // tells nothing about failure; the depth check above is what guards it.
  FreeImage_AdjustColors(picture.get(), g_settings.image_brightness, g_settings.image_contrast,
                         g_settings.image_gamma, g_settings.image_invert != 0 ? TRUE : FALSE);
  return picture;
}

}  // namespace pixmera
