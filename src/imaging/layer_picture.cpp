#include "imaging/layer_picture.h"

#include <algorithm>
#include <memory>

#include "imaging/operations.h"

namespace pixmera {

namespace {

struct MemoryClose {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

}  // namespace

Rgba colour_with_alpha(std::string_view hex, int32_t alpha) {
  const Rgb colour = colour_from_hex(hex);
  return Rgba{colour.red, colour.green, colour.blue,
              static_cast<uint8_t>(std::clamp(alpha, 0, 255))};
}

Image load_png_layer(std::span<const uint8_t> png) {
  if (png.empty()) return {};
  // FreeImage only reads through the pointer; its signature is not const.
  const std::unique_ptr<FIMEMORY, MemoryClose> memory(
      FreeImage_OpenMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size())));
  if (!memory) return {};
  Image layer = adopt(FreeImage_LoadFromMemory(FIF_PNG, memory.get(), 0));
  // A layer without any transparent pixel is written as an RGB PNG; the
  // compositing needs its alpha all the same.
  if (layer && bpp_of(layer) != 32) layer = adopt(FreeImage_ConvertTo32Bits(layer.get()));
  return layer;
}

}  // namespace pixmera
