#include "photocd/orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace pixmera::photocd {

namespace {

// Square tiles keep both the rows read and the rows written in cache while a
// quarter turn walks one image by rows and the other by columns.
constexpr int tile = 64;

RgbImage blank_like(const RgbImage& image, int width, int height) {
  return RgbImage(width, height, image.order);
}
Rgb48Image blank_like(const Rgb48Image&, int width, int height) {
  return Rgb48Image(width, height);
}

// Source pixel (x, y) lands at (y, W-1-x) for a counter-clockwise quarter
// turn and at (H-1-y, x) for a clockwise one. Along a source row the target
// walks down (clockwise) or up a column, one output row per pixel.
template <typename Image>
Image quarter_turn(const Image& image, bool clockwise) {
  constexpr auto pixel = static_cast<std::ptrdiff_t>(Image::bytes_per_pixel);
  const int w = image.width;
  const int h = image.height;
  Image out = blank_like(image, h, w);
  const auto out_row_bytes = static_cast<std::ptrdiff_t>(h) * pixel;
  const std::ptrdiff_t step = clockwise ? out_row_bytes : -out_row_bytes;
  for (int ty = 0; ty < h; ty += tile) {
    for (int tx = 0; tx < w; tx += tile) {
      const int y_end = std::min(ty + tile, h);
      const int x_end = std::min(tx + tile, w);
      for (int y = ty; y < y_end; ++y) {
        const std::uint8_t* from = image.row(y) + pixel * tx;
        // An offset rather than a pointer: after the last pixel it may point
        // outside the picture, which only an integer may do.
        std::ptrdiff_t to = clockwise ? out_row_bytes * tx + pixel * (h - 1 - y)
                                      : out_row_bytes * (w - 1 - tx) + pixel * y;
        for (int x = tx; x < x_end; ++x, from += pixel, to += step) {
          std::memcpy(out.pixels.data() + to, from, pixel);
        }
      }
    }
  }
  return out;
}

template <typename Image>
Image half_turn(Image image) {
  constexpr auto pixel = static_cast<int>(Image::bytes_per_pixel);
  const int w = image.width;
  const int h = image.height;
  for (int y = 0; y < (h + 1) / 2; ++y) {
    std::uint8_t* top = image.row(y);
    std::uint8_t* bottom = image.row(h - 1 - y);
    // The middle row of an odd height swaps its halves with itself.
    const int count = (y == h - 1 - y) ? w / 2 : w;
    for (int x = 0; x < count; ++x) {
      std::swap_ranges(top + pixel * x, top + pixel * x + pixel, bottom + pixel * (w - 1 - x));
    }
  }
  return image;
}

template <typename Image>
Image turn(Image image, int quarter_turns) {
  switch (quarter_turns & 3) {
    case 1:
      return quarter_turn(image, false);
    case 2:
      return half_turn(std::move(image));
    case 3:
      return quarter_turn(image, true);
    default:
      return image;
  }
}

}  // namespace

RgbImage turn_counter_clockwise(RgbImage image, int quarter_turns) {
  return turn(std::move(image), quarter_turns);
}

Rgb48Image turn_counter_clockwise(Rgb48Image image, int quarter_turns) {
  return turn(std::move(image), quarter_turns);
}

}  // namespace pixmera::photocd
