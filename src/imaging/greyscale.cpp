// Greyscale: replaces the picture by a greyscale copy, 8 bits deep, or 16
// for a picture of 16 bits per channel.
#include <cmath>

#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// Rec. 709 luminance, the weights FreeImage's own greyscale uses.
Image grey16_of(FIBITMAP* colour) {
  const unsigned width = FreeImage_GetWidth(colour);
  const unsigned height = FreeImage_GetHeight(colour);
  Image grey =
      adopt(FreeImage_AllocateT(FIT_UINT16, static_cast<int>(width), static_cast<int>(height)));
  if (!grey) return grey;
  for (unsigned y = 0; y < height; ++y) {
    const auto* in =
        reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(colour, static_cast<int>(y)));
    auto* out = reinterpret_cast<uint16_t*>(FreeImage_GetScanLine(grey.get(), static_cast<int>(y)));
    for (unsigned x = 0; x < width; ++x) {
      const double luma = 0.2126 * in[x].red + 0.7152 * in[x].green + 0.0722 * in[x].blue;
      out[x] = static_cast<uint16_t>(luma + 0.5);
    }
  }
  FreeImage_SetDotsPerMeterX(grey.get(), FreeImage_GetDotsPerMeterX(colour));
  FreeImage_SetDotsPerMeterY(grey.get(), FreeImage_GetDotsPerMeterY(colour));
  return grey;
}

}  // namespace

Image greyscale(Image picture) {
  if (!picture || g_settings.do_image_greyscale == 0) return picture;
  if (is_grey16(picture)) return picture;
  // Floating-point pictures give 16-bit grey, as the 16-bit ones they
  // would be.
  picture = floats_to_rgb16(std::move(picture));
  if (!picture) return picture;
  if (is_rgb16(picture)) return grey16_of(picture.get());
  // FreeImage makes greyscale from standard bitmaps only; floating-point
  // pictures pass through 24 bits.
  if (bpp_of(picture) > 32) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  return adopt(FreeImage_ConvertToGreyscale(picture.get()));
}

}  // namespace pixmera
