// Rotation: turns the picture by a whole number of degrees, counter-clockwise
// as FreeImage counts angles, either onto a larger canvas filled with the
// background colour or within its own frame about the centre.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

constexpr uint8_t kRotateOntoBackground = 0;
constexpr uint8_t kRotateAboutCentre = 1;

// Both rotations are made on 24 or 32-bit pictures; everything else is
// brought to 24 bits first, 8-bit pictures included, so that the background
// colour and the interpolation work on true colours.
bool needs_24_bits(unsigned bpp) { return bpp <= 16 || bpp > 32; }

RGBQUAD background_colour() {
  const Rgb colour = colour_from_hex(g_settings.image_rotation_back_color);
  RGBQUAD quad{};
  quad.rgbRed = colour.red;
  quad.rgbGreen = colour.green;
  quad.rgbBlue = colour.blue;
  quad.rgbReserved = 0;
  return quad;
}

}  // namespace

Image rotate(Image picture) {
  if (!picture || g_settings.do_image_rotation == 0) return picture;
  const int32_t angle = g_settings.image_rotation;
  if (angle <= 0 || angle >= 360) return picture;

  const double centre_x = width_of(picture) / 2.0;
  const double centre_y = height_of(picture) / 2.0;
  if (needs_24_bits(bpp_of(picture))) {
    picture = to_24_bits(std::move(picture));
    if (!picture) return picture;
  }

  switch (g_settings.image_rotation_type) {
    case kRotateOntoBackground: {
      const RGBQUAD background = background_colour();
      return adopt(FreeImage_Rotate(picture.get(), angle, &background));
    }
    case kRotateAboutCentre:
      return adopt(FreeImage_RotateEx(picture.get(), angle, 0.0, 0.0, centre_x, centre_y, FALSE));
    default:
      return picture;
  }
}

}  // namespace pixmera
