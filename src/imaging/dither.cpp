// Dither: reduces the picture to black and white by error diffusion or an
// ordered pattern.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

struct DitherRow {
  int32_t code;
  FREE_IMAGE_DITHER method;
};

// "Image Dither Algorithm" codes. The settings list the three Bayer
// patterns together, so code 3 is the 16x16 one and not FreeImage's own
// numbering.
constexpr DitherRow kMethods[] = {
    {0, FID_FS},         {1, FID_BAYER4x4},   {2, FID_BAYER8x8},     {3, FID_BAYER16x16},
    {4, FID_CLUSTER6x6}, {5, FID_CLUSTER8x8}, {6, FID_CLUSTER16x16},
};

// FreeImage_Dither reads 4 to 32-bit standard bitmaps; a 1-bit picture (the
// output of the threshold before it) is widened again so it is dithered too,
// and so is 16-bit grey, which is no standard bitmap.
bool needs_24_bits(const Image& picture) {
  const unsigned bpp = bpp_of(picture);
  return type_of(picture) != FIT_BITMAP || bpp < 4 || bpp > 32;
}

}  // namespace

FREE_IMAGE_DITHER dither_method(int32_t algorithm) {
  for (const DitherRow& row : kMethods) {
    if (row.code == algorithm) return row.method;
  }
  return FID_FS;
}

Image dither(Image picture) {
  if (!picture || g_settings.do_image_dither == 0) return picture;
  if (needs_24_bits(picture)) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }
  return adopt(FreeImage_Dither(picture.get(), dither_method(g_settings.image_dither_algorithm)));
}

}  // namespace pixmera
