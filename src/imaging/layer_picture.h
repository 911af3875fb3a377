// What the frame and the watermark share: colours for their drawing layers
// and the hand-over of a finished layer to FreeImage.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "imaging/image.h"
#include "platform/drawing.h"

namespace pixmera {

// Six hexadecimal digits RRGGBB with the given alpha (clamped to 0..255);
// any other text gives black.
Rgba colour_with_alpha(std::string_view hex, int32_t alpha);

// The 32-bit picture FreeImage loads from PNG bytes held in memory (opaque
// when the PNG has no alpha); empty when the bytes do not load.
Image load_png_layer(std::span<const uint8_t> png);

}  // namespace pixmera
