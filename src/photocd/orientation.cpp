#include "photocd/orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace pixmera::photocd {

namespace {

// Bands of about this many bytes: enough rows that a thread's share is
// worth starting it for, few enough that a handful of bands stay in the
// second-level cache while they wait to be written.
constexpr std::size_t band_bytes = std::size_t{512} << 10;

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

Size upright_size(const YccPlanes& planes, int quarter_turns) {
  const Size stored{planes.luma.width, planes.luma.height};
  return (quarter_turns & 1) != 0 ? Size{stored.height, stored.width} : stored;
}

void upright_rows(const YccPlanes& planes, int quarter_turns, PixelForm form, int begin, int end,
                  std::uint8_t* out, const ColourRendering* rendering) {
  const int w = planes.luma.width;
  const int h = planes.luma.height;
  const std::size_t pixel = bytes_per_pixel(form);
  const std::size_t row_bytes =
      static_cast<std::size_t>(upright_size(planes, quarter_turns).width) * pixel;
  const int rows = end - begin;
  switch (quarter_turns & 3) {
    case 0:
      for (int r = begin; r < end; ++r) {
        convert_pixels(planes, r, 0, w, form, out + static_cast<std::size_t>(r - begin) * row_bytes,
                       rendering);
      }
      return;
    case 2: {
      // Upright row r is stored row h - 1 - r, right to left.
      std::vector<std::uint8_t> stored(row_bytes);
      for (int r = begin; r < end; ++r) {
        convert_pixels(planes, h - 1 - r, 0, w, form, stored.data(), rendering);
        std::uint8_t* to = out + static_cast<std::size_t>(r - begin) * row_bytes;
        for (int x = 0; x < w; ++x) {
          std::memcpy(to + static_cast<std::size_t>(w - 1 - x) * pixel,
                      stored.data() + static_cast<std::size_t>(x) * pixel, pixel);
        }
      }
      return;
    }
    default: {
      // Upright rows are stored columns. Counter-clockwise, stored (x, y)
      // lands at (y, w - 1 - x): the band is columns w - end .. w - 1 - begin,
      // the last of them first. Clockwise, (x, y) lands at (h - 1 - y, x): the
      // band is columns begin .. end - 1. Walking the stored rows in order
      // fills every upright row of the band a pixel at a time, so only one
      // cache line per upright row is being written at any moment.
      const bool clockwise = (quarter_turns & 3) == 3;
      const int first_column = clockwise ? begin : w - end;
      std::vector<std::uint8_t> stored(static_cast<std::size_t>(rows) * pixel);
      for (int y = 0; y < h; ++y) {
        convert_pixels(planes, y, first_column, rows, form, stored.data(), rendering);
        const std::size_t column = static_cast<std::size_t>(clockwise ? h - 1 - y : y) * pixel;
        for (int i = 0; i < rows; ++i) {
          const int upright_row = clockwise ? i : rows - 1 - i;
          std::memcpy(out + static_cast<std::size_t>(upright_row) * row_bytes + column,
                      stored.data() + static_cast<std::size_t>(i) * pixel, pixel);
        }
      }
      return;
    }
  }
}

namespace {

std::size_t rows_per_band(const YccPlanes& planes, int quarter_turns, PixelForm form) {
  const std::size_t row_bytes =
      static_cast<std::size_t>(upright_size(planes, quarter_turns).width) * bytes_per_pixel(form);
  return std::max<std::size_t>(1, band_bytes / row_bytes);
}

}  // namespace

void fill_upright(const YccPlanes& planes, int quarter_turns, PixelForm form, std::uint8_t* out,
                  int threads) {
  const Size size = upright_size(planes, quarter_turns);
  const std::size_t row_bytes = static_cast<std::size_t>(size.width) * bytes_per_pixel(form);
  const std::size_t band = rows_per_band(planes, quarter_turns, form);
  const std::size_t bands = (static_cast<std::size_t>(size.height) + band - 1) / band;
  parallel_for(
      bands,
      [&](std::size_t first_band, std::size_t end_band) {
        for (std::size_t b = first_band; b < end_band; ++b) {
          const std::size_t begin = b * band;
          const std::size_t end = std::min(begin + band, static_cast<std::size_t>(size.height));
          upright_rows(planes, quarter_turns, form, static_cast<int>(begin), static_cast<int>(end),
                       out + begin * row_bytes);
        }
      },
      threads);
}

bool hand_over_upright(const YccPlanes& planes, int quarter_turns, PixelEncoding encoding,
                       const std::function<bool(std::span<const std::uint8_t>)>& sink,
                       int threads) {
  const Size size = upright_size(planes, quarter_turns);
  const auto height = static_cast<std::size_t>(size.height);
  const std::size_t row_bytes =
      static_cast<std::size_t>(size.width) * bytes_per_pixel(encoding.form);
  return ordered_bands(
      height, rows_per_band(planes, quarter_turns, encoding.form), row_bytes,
      [&](std::size_t begin, std::size_t end, std::uint8_t* out) {
        if (!encoding.bottom_up) {
          upright_rows(planes, quarter_turns, encoding.form, static_cast<int>(begin),
                       static_cast<int>(end), out, encoding.rendering);
          return;
        }
        // Rows begin..end counted from the bottom are upright rows
        // height - end .. height - begin, made top-down and then reversed.
        upright_rows(planes, quarter_turns, encoding.form, static_cast<int>(height - end),
                     static_cast<int>(height - begin), out, encoding.rendering);
        std::vector<std::uint8_t> row(row_bytes);
        for (std::size_t top = 0, bottom = end - begin - 1; top < bottom; ++top, --bottom) {
          std::uint8_t* a = out + top * row_bytes;
          std::uint8_t* b = out + bottom * row_bytes;
          std::memcpy(row.data(), a, row_bytes);
          std::memcpy(a, b, row_bytes);
          std::memcpy(b, row.data(), row_bytes);
        }
      },
      sink, threads);
}

}  // namespace pixmera::photocd
