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
// Floating-point RGB: our converter's 96-bit picture, its highlights above
// 1.0. Rotation, resize and flip keep it; the operations that look samples
// up or mix layers into them work on it as 16-bit RGB, as they do on every
// 48 and 96-bit picture.
inline bool is_rgb_float(const Image& image) { return type_of(image) == FIT_RGBF; }

// Floating-point RGB as 16-bit RGB, each sample clipped to 0..1 and rounded
// (FreeImage converts floating-point pictures to no integer type but
// greyscale); any other picture unchanged. Empty when no picture can be
// allocated.
Image floats_to_rgb16(Image image);

// 16-bit grey or floating-point RGB as 16-bit RGB, which every FreeImage
// conversion takes; any other picture unchanged. Empty when FreeImage
// cannot widen it.
inline Image deep_to_rgb16(Image image) {
  if (is_rgb_float(image)) return floats_to_rgb16(std::move(image));
  if (!is_grey16(image)) return image;
  return adopt(FreeImage_ConvertToRGB16(image.get()));
}

// A 24-bit copy of the picture replacing it; an empty handle when FreeImage
// cannot convert it. FreeImage takes 16-bit grey to 24 bits only by way of
// 16-bit RGB, and floating-point RGB not at all.
inline Image to_24_bits(Image image) {
  image = deep_to_rgb16(std::move(image));
  if (!image) return image;
  return adopt(FreeImage_ConvertTo24Bits(image.get()));
}

}  // namespace pixmera
