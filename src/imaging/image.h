// The picture handle every image operation passes on: a FreeImage bitmap
// with one owner. An operation takes the current picture and returns the one
// to use from then on; moving a new picture into the handle releases the old
// one, so a replaced picture is unloaded exactly once. An empty handle (the
// description's "handle 0") passes through every operation unchanged.
#pragma once

#include <FreeImage.h>
// FreeImage.h marks its Windows-like typedefs with _WINDOWS_, which
// wxWidgets takes for a Windows build; the window module's code and tests
// include both.
#undef _WINDOWS_

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

inline FREE_IMAGE_TYPE type_of(const Image& image) {
  return image ? FreeImage_GetImageType(image.get()) : FIT_UNKNOWN;
}

// 16 bits per sample: RGB (48 bits per pixel) or grey, the two kinds of
// picture the chain keeps deep.
inline bool is_rgb16(const Image& image) { return type_of(image) == FIT_RGB16; }
inline bool is_grey16(const Image& image) { return type_of(image) == FIT_UINT16; }

// 16-bit grey widened to 16-bit RGB, which every FreeImage conversion takes;
// any other picture unchanged. Empty when FreeImage cannot widen it.
inline Image grey16_to_rgb16(Image image) {
  if (!is_grey16(image)) return image;
  return adopt(FreeImage_ConvertToRGB16(image.get()));
}

// A 24-bit copy of the picture replacing it; an empty handle when FreeImage
// cannot convert it. FreeImage takes 16-bit grey to 24 bits only by way of
// 16-bit RGB.
inline Image to_24_bits(Image image) {
  image = grey16_to_rgb16(std::move(image));
  if (!image) return image;
  return adopt(FreeImage_ConvertTo24Bits(image.get()));
}

}  // namespace pixmera
