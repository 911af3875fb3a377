// The pieces of the watermark operation (watermark() itself is declared in
// imaging/operations.h): how the layer is built, turned, cut to the usable
// area and placed at its anchor.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/image.h"
#include "platform/drawing.h"

namespace pixmera {

inline constexpr uint8_t kTextWatermark = 1;
inline constexpr uint8_t kPictureWatermark = 2;

// Watermark pictures above this many pixels are refused before they are
// decoded.
inline constexpr int64_t kMaxWatermarkPicturePixels = 100'000'000;

// The part of the picture the watermark is placed in, and where that part
// starts: the whole picture, or the inside of the frame when the kind's
// boundary setting keeps it there.
struct Area {
  int64_t width = 0;
  int64_t height = 0;
  int64_t left = 0;
  int64_t top = 0;
};

struct Position {
  int64_t x = 0;
  int64_t y = 0;

  friend bool operator==(const Position&, const Position&) = default;
};

// The settings that place a watermark of one kind.
struct Placement {
  uint8_t boundary = 0;
  uint8_t position = 0;
  int32_t x_offset = 0;
  int32_t y_offset = 0;
  int32_t rotation = 0;
};
// The "Text ..." settings for kind 1, the "Image ..." ones for kind 2.
Placement placement_of(uint8_t kind);

// W x H, or the inside of a solid frame when "Do Frame" is 1 and `boundary`
// is 1.
Area usable_area(int32_t width, int32_t height, uint8_t boundary);

// The top left of a w x h layer at anchor `code` (0 to 8: rows top, middle,
// bottom; columns left, centre, right) inside an area, before the area's
// shift; halves truncate. Other codes give (0, 0).
Position anchor_position(uint8_t code, int64_t layer_width, int64_t layer_height,
                         int64_t area_width, int64_t area_height, int64_t x_offset,
                         int64_t y_offset);

// Turns the layer by whole degrees when 0 < angle < 360; the corners it
// uncovers stay transparent. Empty when FreeImage cannot turn it.
Image rotate_watermark(Image layer, int32_t angle);

// Cuts the layer to what fits in the area after the offsets, keeping its top
// left part. Empty when nothing of it fits.
Image crop_watermark(Image layer, int64_t area_width, int64_t area_height, int64_t x_offset,
                     int64_t y_offset);

// The lines of the "Text" setting: placeholders expanded as in the file name
// mask, then split at each "%eol%".
std::vector<std::string> watermark_lines(std::string_view text);

// The size of the text block and where its lines go.
struct TextBlock {
  int64_t width = 0;      // widest line plus twice the padding
  int64_t height = 0;     // the lines with the leading between them, plus twice the padding
  int64_t line_step = 0;  // text height plus leading
};
TextBlock text_block(std::span<const TextExtent> lines, int32_t leading, int32_t padding);

// The x of a line inside a block of `block_width`, by "Text Alignment" and
// "Text Padding".
int64_t line_x_position(int64_t line_width, int64_t block_width);

// Grey of the same alpha: (77 red + 150 green + 29 blue) >> 8.
Rgba grey_filter(Rgba colour);

// The watermark picture named by the "Image" setting as 32 bits; empty when
// it is missing, not a picture, of a format whose size cannot be read before
// decoding, or larger than kMaxWatermarkPicturePixels.
Image load_watermark_picture(const std::string& path);

// The watermark layer of the kind "Do Watermark" names, as FreeImage loads it
// back from its PNG; empty when it cannot be built.
Image build_watermark_layer();

}  // namespace pixmera
