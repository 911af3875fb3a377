// Threshold: reduces the picture to black and white, every pixel at least as
// bright as the level becoming white.
//
// The shape every image operation of the chain follows:
//   1. an empty handle, or the switch off, hands the input back untouched;
//   2. the picture is brought to a depth the FreeImage call accepts, the
//      converted copy replacing (and so releasing) the original;
//   3. the call's result replaces the picture; a failed call leaves an empty
//      handle, which the conversion step reports as a failed file.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// FreeImage_Threshold reads 4 to 32-bit standard bitmaps; a 1-bit picture
// would come back as a plain copy and deeper ones are refused. 16-bit grey
// counts 16 bits per pixel but is no standard bitmap either.
bool needs_24_bits(const Image& picture) {
  const unsigned bpp = bpp_of(picture);
  return type_of(picture) != FIT_BITMAP || bpp < 4 || bpp > 32;
}

}  // namespace

Image threshold(Image picture) {
  if (!picture || g_settings.do_image_threshold == 0) return picture;
  if (needs_24_bits(picture)) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  // The level is a byte: only the low 8 bits of the setting count (300 is 44).
  const auto level = static_cast<BYTE>(g_settings.image_threshold & 0xFF);
  return adopt(FreeImage_Threshold(picture.get(), level));
}

}  // namespace pixmera
