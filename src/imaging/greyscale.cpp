// Greyscale: replaces the picture by an 8-bit greyscale copy.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

Image greyscale(Image picture) {
  if (!picture || g_settings.do_image_greyscale == 0) return picture;
  // FreeImage makes greyscale from standard bitmaps only; 16 bits per
  // channel and floating-point pictures pass through 24 bits.
  if (bpp_of(picture) > 32) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  return adopt(FreeImage_ConvertToGreyscale(picture.get()));
}

}  // namespace pixmera
