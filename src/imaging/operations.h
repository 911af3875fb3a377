// The image operations of the per-file chain, called in this order by the
// conversion step: rotate, resize, flip, adjust colours, greyscale,
// threshold, dither, frame, watermark, bit depth. Each checks its own switch
// in the Settings record and returns its input unchanged when it is off.
#pragma once

#include <cstdint>
#include <string_view>

#include "imaging/image.h"

namespace pixmera {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// Six hexadecimal digits RRGGBB; any other length gives black.
Rgb colour_from_hex(std::string_view text);

// rotate.cpp
Image rotate(Image picture);
// resize.cpp
int32_t target_length(int32_t value, int32_t unit, int32_t current);
FREE_IMAGE_FILTER resize_filter(int32_t algorithm);
Image resize(Image picture, int32_t width, int32_t height);
// flip.cpp
void flip(const Image& picture);
// adjust_colors.cpp
Image adjust_colors(Image picture);
// greyscale.cpp
Image greyscale(Image picture);
// threshold.cpp
Image threshold(Image picture);
// dither.cpp
FREE_IMAGE_DITHER dither_method(int32_t algorithm);
Image dither(Image picture);
// frame.cpp
Image frame(Image picture, int32_t width, int32_t height);
// watermark.cpp
Image watermark(Image picture, int32_t width, int32_t height);
// bit_depth.cpp
int32_t choose_automatic_depth(std::string_view extension, int32_t source_bpp);
Image convert_bit_depth(Image picture);

}  // namespace pixmera
