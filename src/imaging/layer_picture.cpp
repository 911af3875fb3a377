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

bool blend_layer_16(FIBITMAP* picture, FIBITMAP* layer, int64_t left, int64_t top) {
  if (FreeImage_GetImageType(picture) != FIT_RGB16 || FreeImage_GetImageType(layer) != FIT_BITMAP ||
      FreeImage_GetBPP(layer) != 32) {
    return false;
  }
  const int64_t width = FreeImage_GetWidth(picture);
  const int64_t height = FreeImage_GetHeight(picture);
  const int64_t layer_width = FreeImage_GetWidth(layer);
  const int64_t layer_height = FreeImage_GetHeight(layer);
  if (left < 0 || top < 0 || left + layer_width > width || top + layer_height > height)
    return false;

  const auto mix = [](uint32_t over, uint32_t under, uint32_t alpha) {
    return static_cast<WORD>((over * 257 * alpha + under * (255 - alpha) + 127) / 255);
  };
  for (int64_t y = 0; y < layer_height; ++y) {
    // Rows counted from the top; FreeImage's scan lines from the bottom.
    const BYTE* from = FreeImage_GetScanLine(layer, static_cast<int>(layer_height - 1 - y));
    auto* to = reinterpret_cast<FIRGB16*>(
                   FreeImage_GetScanLine(picture, static_cast<int>(height - 1 - (top + y)))) +
               left;
    for (int64_t x = 0; x < layer_width; ++x, from += 4) {
      const uint32_t alpha = from[FI_RGBA_ALPHA];
      if (alpha == 0) continue;
      to[x].red = mix(from[FI_RGBA_RED], to[x].red, alpha);
      to[x].green = mix(from[FI_RGBA_GREEN], to[x].green, alpha);
      to[x].blue = mix(from[FI_RGBA_BLUE], to[x].blue, alpha);
    }
  }
  return true;
}

}  // namespace pixmera
