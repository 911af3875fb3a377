// Resize: rescales the picture to the target width and height, in pixels or
// in percent of the current size, optionally keeping its proportions.
#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

constexpr int32_t kUnitPixels = 0;
constexpr int32_t kUnitPercent = 1;
constexpr uint8_t kLeaveSmallerPictures = 1;

// The largest picture a resize may make: sides beyond 65,535 pixels do not
// fit the 16-bit sizes of TGA or JPEG, and a stray percentage such as 100000
// would otherwise ask FreeImage for hundreds of gigabytes. A larger target
// fails the file instead.
constexpr int64_t kLargestSide = 65535;
constexpr int64_t kLargestPixelCount = 1'000'000'000;

struct FilterRow {
  int32_t code;
  FREE_IMAGE_FILTER filter;
};

// "Image Resize Algorithm" codes, in the order the settings list them.
constexpr FilterRow kFilters[] = {
    {0, FILTER_BOX},     {1, FILTER_BILINEAR},   {2, FILTER_BSPLINE},
    {3, FILTER_BICUBIC}, {4, FILTER_CATMULLROM}, {5, FILTER_LANCZOS3},
};

int32_t saturated(double length) {
  constexpr double low = std::numeric_limits<int32_t>::min();
  constexpr double high = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(length, low, high));
}

// The other side of a picture scaled to `side`; the proportion (at least 1)
// is held in single precision.
int32_t proportional_side(int32_t side, float ratio) {
  return saturated(std::round(static_cast<double>(side) / static_cast<double>(ratio)));
}

bool too_large(int32_t width, int32_t height) {
  return width > kLargestSide || height > kLargestSide ||
         static_cast<int64_t>(width) * height > kLargestPixelCount;
}

}  // namespace

int32_t target_length(int32_t value, int32_t unit, int32_t current) {
  switch (unit) {
    case kUnitPixels:
      return value;
    case kUnitPercent:
      return saturated(std::round(value / 100.0 * current));
    default:
      return 0;
  }
}

FREE_IMAGE_FILTER resize_filter(int32_t algorithm) {
  for (const FilterRow& row : kFilters) {
    if (row.code == algorithm) return row.filter;
  }
  return FILTER_BICUBIC;
}

Image resize(Image picture, int32_t width, int32_t height) {
  if (!picture || g_settings.do_image_resize == 0) return picture;

  int32_t new_width = target_length(g_settings.image_width, g_settings.image_width_unit, width);
  int32_t new_height = target_length(g_settings.image_height, g_settings.image_height_unit, height);
  if (new_width <= 0 || new_height <= 0 || width <= 0 || height <= 0) return picture;
  if (new_width == width && new_height == height) return picture;
  if (g_settings.image_resize_type == kLeaveSmallerPictures && width < new_width &&
      height < new_height) {
    return picture;
  }

  // Only one requested side counts: the width of a landscape or square
  // picture, the height of a portrait one.
  if (g_settings.keep_aspect_ratio != 0) {
    if (width >= height) {
      const float ratio = static_cast<float>(width) / static_cast<float>(height);
      new_height = proportional_side(new_width, ratio);
    } else {
      const float ratio = static_cast<float>(height) / static_cast<float>(width);
      new_width = proportional_side(new_height, ratio);
    }
  }

  if (too_large(new_width, new_height)) return Image{};
  return adopt(FreeImage_Rescale(picture.get(), new_width, new_height,
                                 resize_filter(g_settings.image_resize_algorithm)));
}

}  // namespace pixmera
