// The picture handle every image operation passes on: a FreeImage bitmap
// with one owner. An operation takes the current picture and returns the one
// to use from then on; moving a new picture into the handle releases the old
// one, so a replaced picture is unloaded exactly once. An empty handle (the
// description's "handle 0") passes through every operation unchanged.
#pragma once

#include <FreeImage.h>

#include <memory>

namespace pixmera {

struct FreeImageUnload {
  void operator()(FIBITMAP* bitmap) const {
    if (bitmap != nullptr) FreeImage_Unload(bitmap);
  }
};

using Image = std::unique_ptr<FIBITMAP, FreeImageUnload>;

inline Image adopt(FIBITMAP* bitmap) { return Image(bitmap); }

inline unsigned bpp_of(const Image& image) { return image ? FreeImage_GetBPP(image.get()) : 0; }
inline int width_of(const Image& image) {
  return image ? static_cast<int>(FreeImage_GetWidth(image.get())) : 0;
}
inline int height_of(const Image& image) {
  return image ? static_cast<int>(FreeImage_GetHeight(image.get())) : 0;
}

// A 24-bit copy of the picture replacing it; an empty handle when FreeImage
// cannot convert it.
inline Image to_24_bits(Image image) {
  if (!image) return image;
  return adopt(FreeImage_ConvertTo24Bits(image.get()));
}

}  // namespace pixmera
