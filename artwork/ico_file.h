// A Windows icon file (.ico) made from pictures drawn at several sizes.
//
// Each picture is a square of premultiplied 32-bit ARGB pixels, top row
// first, as Cairo's image surfaces hold them. Sizes below 256 go in as
// 32-bit DIBs with their AND mask, which every reader of icons takes; the
// 256 px picture goes in as PNG, as Windows keeps its large icons, which
// keeps the file small.

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pixmera::artwork {

struct IconPicture {
  int size = 0;                       // width and height in pixels, 1 to 256
  std::vector<std::uint32_t> pixels;  // size * size premultiplied ARGB, top row first
  std::string png;                    // the same picture as PNG, used at 256 px
};

// The bytes of an .ico holding the pictures in the order given, or empty text
// when a picture's size or pixel count is wrong, or a 256 px one has no PNG.
std::string ico_file(std::span<const IconPicture> pictures);

}  // namespace pixmera::artwork
