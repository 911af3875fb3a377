// Rotation: turns the picture by a whole number of degrees, counter-clockwise
// as FreeImage counts angles, either onto a larger canvas filled with the
// background colour or within its own frame about the centre.
#include <algorithm>

#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

constexpr uint8_t kRotateOntoBackground = 0;
constexpr uint8_t kRotateAboutCentre = 1;

// Both rotations are made on 24 or 32-bit pictures; everything else is
// brought to 24 bits first, 8-bit pictures included, so that the background
// colour and the interpolation work on true colours. Pictures of 16 bits per
// channel keep them, and floating-point ones their floats.
bool needs_24_bits(const Image& picture) {
  if (is_rgb16(picture) || is_rgb_float(picture)) return false;
  const unsigned bpp = bpp_of(picture);
  return bpp <= 16 || bpp > 32;
}

RGBQUAD background_colour() {
  const Rgb colour = colour_from_hex(g_settings.image_rotation_back_color);
  RGBQUAD quad{};
  quad.rgbRed = colour.red;
  quad.rgbGreen = colour.green;
  quad.rgbBlue = colour.blue;
  quad.rgbReserved = 0;
  return quad;
}

// The background at 16 bits: each 8-bit level times 257, so FF is 65535.
FIRGB16 background_colour_16() {
  const Rgb colour = colour_from_hex(g_settings.image_rotation_back_color);
  return FIRGB16{static_cast<WORD>(colour.red * 257), static_cast<WORD>(colour.green * 257),
                 static_cast<WORD>(colour.blue * 257)};
}

// The background in floating point: FF is 1.0, white.
FIRGBF background_colour_float() {
  const Rgb colour = colour_from_hex(g_settings.image_rotation_back_color);
  return FIRGBF{colour.red / 255.0f, colour.green / 255.0f, colour.blue / 255.0f};
}

// FreeImage turns 16-bit and floating-point pictures about their centre
// only onto a canvas that holds the whole turned picture; its middle, cut
// or padded to the picture's own size, is the same turn within the
// picture's frame. The corners it uncovers are black.
template <typename Pixel>
Image rotate_deep_about_centre(const Image& picture, int32_t angle) {
  const Pixel black{};
  const Image turned = adopt(FreeImage_Rotate(picture.get(), angle, &black));
  const int width = width_of(picture);
  const int height = height_of(picture);
  Image framed = adopt(FreeImage_AllocateT(type_of(picture), width, height));
  if (!turned || !framed) return Image();
  const int turned_width = width_of(turned);
  const int turned_height = height_of(turned);
  const int shift_x = (width - turned_width) / 2;
  const int shift_y = (height - turned_height) / 2;
  const int first_x = std::max(0, shift_x);
  const int end_x = std::min(width, shift_x + turned_width);
  for (int y = std::max(0, shift_y); y < std::min(height, shift_y + turned_height); ++y) {
    // Rows counted from the top; FreeImage's scan lines from the bottom.
    const auto* from = reinterpret_cast<const Pixel*>(
        FreeImage_GetScanLine(turned.get(), turned_height - 1 - (y - shift_y)));
    auto* to = reinterpret_cast<Pixel*>(FreeImage_GetScanLine(framed.get(), height - 1 - y));
    std::copy(from + (first_x - shift_x), from + (end_x - shift_x), to + first_x);
  }
  FreeImage_SetDotsPerMeterX(framed.get(), FreeImage_GetDotsPerMeterX(picture.get()));
  FreeImage_SetDotsPerMeterY(framed.get(), FreeImage_GetDotsPerMeterY(picture.get()));
  return framed;
}

}  // namespace

Image rotate(Image picture) {
  if (!picture || g_settings.do_image_rotation == 0) return picture;
  const int32_t angle = g_settings.image_rotation;
  if (angle <= 0 || angle >= 360) return picture;

  const double centre_x = width_of(picture) / 2.0;
  const double centre_y = height_of(picture) / 2.0;
  if (needs_24_bits(picture)) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }

  switch (g_settings.image_rotation_type) {
    case kRotateOntoBackground: {
      if (is_rgb16(picture)) {
        const FIRGB16 background = background_colour_16();
        return adopt(FreeImage_Rotate(picture.get(), angle, &background));
      }
      if (is_rgb_float(picture)) {
        const FIRGBF background = background_colour_float();
        return adopt(FreeImage_Rotate(picture.get(), angle, &background));
      }
      const RGBQUAD background = background_colour();
      return adopt(FreeImage_Rotate(picture.get(), angle, &background));
    }
    case kRotateAboutCentre:
      if (is_rgb16(picture)) return rotate_deep_about_centre<FIRGB16>(picture, angle);
      if (is_rgb_float(picture)) return rotate_deep_about_centre<FIRGBF>(picture, angle);
      return adopt(FreeImage_RotateEx(picture.get(), angle, 0.0, 0.0, centre_x, centre_y, FALSE));
    default:
      return picture;
  }
}

}  // namespace pixmera
