#include "photocd/tga_writer.h"

#include <algorithm>
#include <vector>

#include "photocd/orientation.h"

namespace pixmera::photocd {

namespace {

constexpr std::uint8_t true_colour_uncompressed = 2;
constexpr std::uint8_t top_left_origin = 0x20;
constexpr int max_dimension = 0xFFFF;
// Rows are gathered into pieces of about this size before they go to the
// sink, so a picture costs a few large writes rather than one per row.
constexpr std::size_t piece_bytes = std::size_t{1} << 20;

}  // namespace

std::array<std::uint8_t, tga_header_bytes> tga_header(int width, int height) {
  std::array<std::uint8_t, tga_header_bytes> header{};
  header[2] = true_colour_uncompressed;
  header[12] = static_cast<std::uint8_t>(width & 0xFF);
  header[13] = static_cast<std::uint8_t>(width >> 8);
  header[14] = static_cast<std::uint8_t>(height & 0xFF);
  header[15] = static_cast<std::uint8_t>(height >> 8);
  header[16] = 24;
  header[17] = top_left_origin;
  return header;
}

namespace {

bool fits_the_format(int width, int height) {
  return width > 0 && height > 0 && width <= max_dimension && height <= max_dimension;
}

}  // namespace

bool write_tga(const YccPlanes& planes, int quarter_turns,
               const std::function<bool(std::span<const std::uint8_t>)>& sink, int threads,
               const ColourRendering* rendering) {
  const Size size = upright_size(planes, quarter_turns);
  if (!fits_the_format(size.width, size.height)) return false;
  return sink(tga_header(size.width, size.height)) &&
         hand_over_upright(planes, quarter_turns, {PixelForm::bgr24, rendering}, sink, threads);
}

bool write_tga(const RgbImage& image,
               const std::function<bool(std::span<const std::uint8_t>)>& sink) {
  if (!fits_the_format(image.width, image.height)) return false;
  const auto header = tga_header(image.width, image.height);
  if (!sink(header)) return false;

  const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 3;
  if (image.order == ChannelOrder::bgr) {
    return sink(image.pixels);
  }
  const std::size_t rows_per_piece = std::max<std::size_t>(1, piece_bytes / row_bytes);
  std::vector<std::uint8_t> piece(rows_per_piece * row_bytes);
  for (int y = 0; y < image.height;) {
    const int rows = static_cast<int>(
        std::min<std::size_t>(rows_per_piece, static_cast<std::size_t>(image.height - y)));
    std::uint8_t* out = piece.data();
    for (int r = 0; r < rows; ++r, ++y) {
      const std::uint8_t* in = image.row(y);
      for (std::size_t i = 0; i < row_bytes; i += 3) {
        out[i] = in[i + 2];
        out[i + 1] = in[i + 1];
        out[i + 2] = in[i];
      }
      out += row_bytes;
    }
    if (!sink(std::span<const std::uint8_t>(piece.data(),
                                            static_cast<std::size_t>(out - piece.data()))))
      return false;
  }
  return true;
}

}  // namespace pixmera::photocd
