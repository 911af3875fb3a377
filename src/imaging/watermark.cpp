// Watermark: a block of text on a background box, or a small picture from a
// file, stamped on the picture at one of nine anchors.
//
// The watermark is drawn on a 32-bit layer, handed to FreeImage as a PNG,
// turned, cut to the usable area, pasted at its anchor on a transparent
// canvas of the picture's size and composited over the picture.
#include "imaging/watermark.h"

#include <algorithm>
#include <array>
#include <climits>

#include "imaging/layer_picture.h"
#include "imaging/operations.h"
#include "imaging/watermark_font.h"
#include "pipeline/naming_mask.h"
#include "platform/picture_files.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

constexpr std::string_view kLineBreak = "%eol%";
constexpr uint8_t kSolidFrame = 1;
constexpr uint8_t kKeepInsideFrame = 1;

// FreeImage_Paste blends with alpha 0..255 and scales every byte by
// alpha / 256 even at 255; a value above 255 copies the layer unchanged,
// which is what pasting onto an empty canvas means.
constexpr int kPasteCopy = 256;

enum class Edge { Near, Middle, Far };

struct Anchor {
  Edge horizontal;
  Edge vertical;
};

// Indexed by the "Text Position" / "Image Position" code: top row left to
// right, then the middle row, then the bottom row.
constexpr std::array<Anchor, 9> kAnchors{{
    {Edge::Near, Edge::Near},
    {Edge::Middle, Edge::Near},
    {Edge::Far, Edge::Near},
    {Edge::Near, Edge::Middle},
    {Edge::Middle, Edge::Middle},
    {Edge::Far, Edge::Middle},
    {Edge::Near, Edge::Far},
    {Edge::Middle, Edge::Far},
    {Edge::Far, Edge::Far},
}};

int64_t along(Edge edge, int64_t area, int64_t size, int64_t offset) {
  switch (edge) {
    case Edge::Near:
      return offset;
    case Edge::Middle:
      return (area - size) / 2;
    case Edge::Far:
      return area - size - offset;
  }
  return 0;
}

struct PlacementSettings {
  uint8_t Settings::*boundary;
  uint8_t Settings::*position;
  int32_t Settings::*x_offset;
  int32_t Settings::*y_offset;
  int32_t Settings::*rotation;
};

constexpr PlacementSettings kTextPlacement{&Settings::text_boundary, &Settings::text_position,
                                           &Settings::text_x_offset, &Settings::text_y_offset,
                                           &Settings::text_rotation};
constexpr PlacementSettings kPicturePlacement{&Settings::image_boundary, &Settings::image_position,
                                              &Settings::image_x_offset, &Settings::image_y_offset,
                                              &Settings::watermark_image_rotation};

std::vector<uint8_t> text_layer_png() {
  const Settings& s = g_settings;
  const Font* font = watermark_font();
  if (font == nullptr) return {};
  const TextDrawing drawing = s.text_antialiasing == 0 ? TextDrawing::Raster : TextDrawing::Vector;

  const std::vector<std::string> lines = watermark_lines(s.text);
  std::vector<TextExtent> extents;
  extents.reserve(lines.size());
  for (const std::string& line : lines) extents.push_back(measure_text(*font, line, drawing));
  const TextBlock block = text_block(extents, s.font_leading, s.text_padding);

  Layer layer(block.width, block.height);
  if (!layer) return {};
  const auto draw_lines = [&](Layer& target, Rgba colour) {
    for (size_t i = 0; i < lines.size(); ++i) {
      const int64_t y = int64_t{s.text_padding} + static_cast<int64_t>(i) * block.line_step;
      draw_text(target, *font, lines[i],
                static_cast<double>(line_x_position(extents[i].width, block.width)),
                static_cast<double>(y), colour, drawing);
    }
  };

  if (drawing == TextDrawing::Raster) {
    // Raster text replaces the box's pixels with the text colour and alpha.
    fill_box(layer, 0, 0, static_cast<double>(block.width), static_cast<double>(block.height),
             colour_with_alpha(s.back_color, s.back_opacity));
    draw_lines(layer, colour_with_alpha(s.font_color, s.text_opacity));
  } else {
    // Box and text are drawn opaque on layers of their own, then laid on the
    // final layer each with its own opacity.
    Layer box(block.width, block.height);
    Layer text(block.width, block.height);
    if (!box || !text) return {};
    fill_box(box, 0, 0, static_cast<double>(block.width), static_cast<double>(block.height),
             colour_with_alpha(s.back_color, 255));
    draw_lines(text, colour_with_alpha(s.font_color, 255));
    paint_layer(layer, box, s.back_opacity);
    paint_layer(layer, text, s.text_opacity);
  }
  return encode_png(layer);
}

std::vector<uint8_t> picture_layer_png() {
  const Settings& s = g_settings;
  const Image source = load_watermark_picture(s.image);
  if (!source) return {};
  const Layer picture =
      layer_from_picture(source.get(), s.image_greyscale == 1 ? grey_filter : nullptr);
  Layer layer(picture.width(), picture.height());
  if (!picture || !layer) return {};
  paint_layer(layer, picture, s.image_opacity);
  return encode_png(layer);
}

}  // namespace

Placement placement_of(uint8_t kind) {
  const PlacementSettings& fields = kind == kPictureWatermark ? kPicturePlacement : kTextPlacement;
  const Settings& s = g_settings;
  return Placement{s.*fields.boundary, s.*fields.position, s.*fields.x_offset, s.*fields.y_offset,
                   s.*fields.rotation};
}

Area usable_area(int32_t width, int32_t height, uint8_t boundary) {
  const Settings& s = g_settings;
  if (s.do_frame != kSolidFrame || boundary != kKeepInsideFrame) return Area{width, height, 0, 0};
  return Area{int64_t{width} - s.solid_left - s.solid_right,
              int64_t{height} - s.solid_top - s.solid_bottom, s.solid_left, s.solid_top};
}

Position anchor_position(uint8_t code, int64_t layer_width, int64_t layer_height,
                         int64_t area_width, int64_t area_height, int64_t x_offset,
                         int64_t y_offset) {
  if (code >= kAnchors.size()) return {};
  const Anchor& anchor = kAnchors[code];
  return Position{along(anchor.horizontal, area_width, layer_width, x_offset),
                  along(anchor.vertical, area_height, layer_height, y_offset)};
}

Image rotate_watermark(Image layer, int32_t angle) {
  if (!layer || angle <= 0 || angle >= 360) return layer;
  return adopt(FreeImage_Rotate(layer.get(), angle, nullptr));
}

Image crop_watermark(Image layer, int64_t area_width, int64_t area_height, int64_t x_offset,
                     int64_t y_offset) {
  if (!layer) return layer;
  const int64_t width = width_of(layer);
  const int64_t height = height_of(layer);
  if (area_width >= width + x_offset && area_height >= height + y_offset) return layer;
  const int64_t kept_width = area_width < width + x_offset ? area_width - x_offset : width;
  const int64_t kept_height = area_height < height + y_offset ? area_height - y_offset : height;
  if (kept_width <= 0 || kept_height <= 0) return {};
  return adopt(FreeImage_Copy(layer.get(), 0, 0, static_cast<int>(kept_width),
                              static_cast<int>(kept_height)));
}

std::vector<std::string> watermark_lines(std::string_view text) {
  const std::string expanded = expand_watermark_text(text);
  std::vector<std::string> lines;
  std::string_view rest = expanded;
  for (size_t end = rest.find(kLineBreak); end != std::string_view::npos;
       end = rest.find(kLineBreak)) {
    lines.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end + kLineBreak.size());
  }
  lines.emplace_back(rest);
  return lines;
}

TextBlock text_block(std::span<const TextExtent> lines, int32_t leading, int32_t padding) {
  int64_t widest = 0;
  int64_t text_height = 0;
  for (const TextExtent& line : lines) {
    widest = std::max<int64_t>(widest, line.width);
    text_height = std::max<int64_t>(text_height, line.height);
  }
  const auto count = static_cast<int64_t>(lines.size());
  TextBlock block;
  block.line_step = text_height + leading;
  // The last line needs no leading below it.
  block.height = count == 0 ? 0 : count * text_height + (count - 1) * leading;
  block.width = widest + 2 * int64_t{padding};
  block.height += 2 * int64_t{padding};
  return block;
}

int64_t line_x_position(int64_t line_width, int64_t block_width) {
  const Settings& s = g_settings;
  switch (s.text_alignment) {
    case 1: {
      const int64_t twice = block_width - line_width;
      // Halves round away from zero, to the nearest integer.
      return twice >= 0 ? (twice + 1) / 2 : -((-twice + 1) / 2);
    }
    case 2:
      return block_width - line_width - s.text_padding;
    default:
      return s.text_padding;
  }
}

Rgba grey_filter(Rgba colour) {
  const auto grey =
      static_cast<uint8_t>((77 * colour.red + 150 * colour.green + 29 * colour.blue) >> 8);
  return Rgba{grey, grey, grey, colour.alpha};
}

Image load_watermark_picture(const std::string& path) {
  if (path.empty()) return {};
  const FREE_IMAGE_FORMAT format = picture_file_type(path);
  if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format) ||
      !FreeImage_FIFSupportsNoPixels(format)) {
    return {};
  }
  // The size from the header first: a small file can claim a picture of
  // billions of pixels, and decoding it would take all the memory there is.
  {
    const Image header = adopt(load_picture_file(format, path, FIF_LOAD_NOPIXELS));
    if (!header) return {};
    const int64_t pixels = int64_t{width_of(header)} * height_of(header);
    if (pixels <= 0 || pixels > kMaxWatermarkPicturePixels) return {};
  }
  Image picture = adopt(load_picture_file(format, path, 0));
  if (!picture) return {};
  const int64_t pixels = int64_t{width_of(picture)} * height_of(picture);
  if (pixels <= 0 || pixels > kMaxWatermarkPicturePixels) return {};
  if (FreeImage_GetImageType(picture.get()) == FIT_BITMAP && bpp_of(picture) == 32) return picture;
  // Pictures without alpha become opaque. Colour pictures of 16 bits per
  // channel convert directly; one-channel 16- and 32-bit pictures and
  // floating-point ones are brought to 8 bits per channel first.
  if (Image direct = adopt(FreeImage_ConvertTo32Bits(picture.get()))) return direct;
  Image standard = adopt(FreeImage_ConvertToStandardType(picture.get(), TRUE));
  if (!standard) standard = adopt(FreeImage_ToneMapping(picture.get(), FITMO_DRAGO03, 0, 0));
  if (!standard) return {};
  return adopt(FreeImage_ConvertTo32Bits(standard.get()));
}

Image build_watermark_layer() {
  switch (g_settings.do_watermark) {
    case kTextWatermark:
      return load_png_layer(text_layer_png());
    case kPictureWatermark:
      return load_png_layer(picture_layer_png());
    default:
      return {};
  }
}

Image watermark(Image picture, int32_t width, int32_t height) {
  const Settings& s = g_settings;
  if (!picture || s.do_watermark == 0) return picture;
  // Pictures of 16 bits per sample keep them (see frame()).
  picture = deep_to_rgb16(std::move(picture));
  if (!picture) return picture;
  const bool deep = is_rgb16(picture);
  if (!deep && bpp_of(picture) != 24) {
    Image converted = adopt(FreeImage_ConvertTo24Bits(picture.get()));
    if (!converted) return picture;
    picture = std::move(converted);
  }

  const Placement placement = placement_of(s.do_watermark);
  Image layer = rotate_watermark(build_watermark_layer(), placement.rotation);
  const Area area = usable_area(width, height, placement.boundary);
  layer = crop_watermark(std::move(layer), area.width, area.height, placement.x_offset,
                         placement.y_offset);
  if (!layer) return picture;

  const Position anchor =
      anchor_position(placement.position, width_of(layer), height_of(layer), area.width,
                      area.height, placement.x_offset, placement.y_offset);
  const int64_t x = anchor.x + area.left;
  const int64_t y = anchor.y + area.top;
  // FreeImage refuses a layer that would reach outside the canvas, which
  // includes every negative position; such a watermark is left out.
  if (x < 0 || y < 0 || x > INT_MAX || y > INT_MAX || width <= 0 || height <= 0) return picture;
  // As the compositing of 24-bit pictures, only a canvas of the picture's
  // own size is laid over it.
  if (deep) {
    if (width == width_of(picture) && height == height_of(picture)) {
      blend_layer_16(picture.get(), layer.get(), x, y);
    }
    return picture;
  }

  const Image canvas = adopt(
      FreeImage_AllocateT(FIT_BITMAP, width, height, static_cast<int>(bpp_of(layer)), 0, 0, 0));
  if (!canvas || !FreeImage_Paste(canvas.get(), layer.get(), static_cast<int>(x),
                                  static_cast<int>(y), kPasteCopy)) {
    return picture;
  }
  Image stamped = adopt(FreeImage_Composite(canvas.get(), FALSE, nullptr, picture.get()));
  if (!stamped) return picture;
  return stamped;
}

}  // namespace pixmera
