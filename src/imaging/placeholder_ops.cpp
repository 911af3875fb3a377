// PLACEHOLDER - each operation moves to a file of its own.
#include "imaging/operations.h"
namespace pixmera {
Rgb colour_from_hex(std::string_view) { return {}; }
Image rotate(Image picture) { return picture; }
int32_t target_length(int32_t value, int32_t, int32_t) { return value; }
FREE_IMAGE_FILTER resize_filter(int32_t) { return FILTER_BICUBIC; }
Image resize(Image picture, int32_t, int32_t) { return picture; }
void flip(const Image&) {}
Image adjust_colors(Image picture) { return picture; }
Image greyscale(Image picture) { return picture; }
Image threshold(Image picture) { return picture; }
FREE_IMAGE_DITHER dither_method(int32_t) { return FID_FS; }
Image dither(Image picture) { return picture; }
}  // namespace pixmera
