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

// Lays a 32-bit layer with straight alpha (as load_png_layer gives it) over
// a picture of 16 bits per channel, the layer's top left at (left, top)
// counted from the picture's top left. Each layer level becomes level x 257
// and is mixed into the 16-bit samples by its alpha, so the picture keeps
// every one of its steps. False, leaving the picture as it was, when the
// layer is not 32 bits or does not lie wholly inside the picture.
bool blend_layer_16(FIBITMAP* picture, FIBITMAP* layer, int64_t left, int64_t top);

}  // namespace pixmera
