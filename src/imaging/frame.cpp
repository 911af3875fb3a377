// Frame: four solid bands along the edges of the picture, drawn inside it,
// with mitred corners and one opacity for the whole frame.
//
// The bands are drawn on a transparent layer of the picture's size, which is
// then faded to "Solid Opacity", handed to FreeImage as a PNG and composited
// over the picture.
#include <array>

#include "imaging/layer_picture.h"
#include "imaging/operations.h"
#include "platform/drawing.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

constexpr uint8_t kSolidFrame = 1;

using Outline = std::array<Point, 4>;

// A band's outline: its outer starting corner, then three steps relative to
// the previous corner; the path closes back to the start.
Outline outline_from_steps(Point start, const std::array<Point, 3>& steps) {
  Outline outline{start};
  for (size_t i = 0; i < steps.size(); ++i) {
    outline[i + 1] = Point{outline[i].x + steps[i].x, outline[i].y + steps[i].y};
  }
  return outline;
}

struct Band {
  std::string Settings::*colour;
  // The corner box this band's colour fills before the bands are drawn.
  Point box_origin;
  Point box_size;
  Outline outline;
};

// Top, right, bottom, left: the order the bands are drawn in. Each corner box
// is filled first; the two bands meeting there then split it along its
// diagonal.
std::array<Band, 4> frame_bands(double w, double h, double l, double r, double t, double b) {
  // clang-format off
  return {{
      // colour                       corner box: origin, size  outline: start, three steps
      {&Settings::solid_top_color,    {0, 0},         {l, t}, outline_from_steps({0, 0}, {{{w, 0},  {-r, t},  {-(w - l - r), 0}}})},
      {&Settings::solid_right_color,  {w - r, 0},     {r, t}, outline_from_steps({w, 0}, {{{0, h},  {-r, -b}, {0, -(h - t - b)}}})},
      {&Settings::solid_bottom_color, {w - r, h - b}, {r, b}, outline_from_steps({w, h}, {{{-w, 0}, {l, -b},  {w - l - r, 0}}})},
      {&Settings::solid_left_color,   {0, h - b},     {l, b}, outline_from_steps({0, h}, {{{0, -h}, {l, t},   {0, h - t - b}}})},
  }};
  // clang-format on
}

}  // namespace

Image frame(Image picture, int32_t width, int32_t height) {
  const Settings& s = g_settings;
  if (!picture || s.do_frame == 0) return picture;
  // Pictures of 16 bits per sample keep them: grey becomes 16-bit colour,
  // as 8-bit grey becomes 24 bits, and the bands are mixed into the samples.
  // Floating-point pictures are mixed as 16-bit ones.
  picture = deep_to_rgb16(std::move(picture));
  if (!picture) return picture;
  const bool deep = is_rgb16(picture);
  if (!deep && bpp_of(picture) != 24) {
    Image converted = adopt(FreeImage_ConvertTo24Bits(picture.get()));
    if (!converted) return picture;
    picture = std::move(converted);
  }
  if (s.do_frame != kSolidFrame) return picture;

  Layer bands(width, height);
  if (!bands) return picture;
  const std::array<Band, 4> layout =
      frame_bands(width, height, s.solid_left, s.solid_right, s.solid_top, s.solid_bottom);
  // The corner boxes are named after the band that follows them clockwise:
  // top-left in the top colour, top-right in the right one, and so on.
  for (const Band& band : layout) {
    fill_box(bands, band.box_origin.x, band.box_origin.y, band.box_size.x, band.box_size.y,
             colour_with_alpha(s.*band.colour, 255));
  }
  for (const Band& band : layout) {
    fill_polygon(bands, band.outline, colour_with_alpha(s.*band.colour, 255));
  }

  Layer faded(width, height);
  if (!faded) return picture;
  paint_layer(faded, bands, s.solid_opacity);

  const Image layer = load_png_layer(encode_png(faded));
  if (!layer) return picture;
  // As the compositing of 24-bit pictures, only a layer of the picture's
  // own size is laid over it.
  if (deep) {
    if (width_of(layer) == width_of(picture) && height_of(layer) == height_of(picture)) {
      blend_layer_16(picture.get(), layer.get(), 0, 0);
    }
    return picture;
  }
  Image framed = adopt(FreeImage_Composite(layer.get(), FALSE, nullptr, picture.get()));
  // A layer that does not match the picture's size is refused by FreeImage;
  // the picture then goes on without a frame.
  if (!framed) return picture;
  return framed;
}

}  // namespace pixmera
