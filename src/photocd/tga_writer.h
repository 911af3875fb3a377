// Uncompressed 24-bit Targa output with the top-left origin bit set, so the
// rows run top-down and every reader agrees which way is up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "photocd/plane.h"

namespace pixmera::photocd {

inline constexpr std::size_t tga_header_bytes = 18;

std::array<std::uint8_t, tga_header_bytes> tga_header(int width, int height);

// Hands the file to `sink` in pieces (header first, then the pixels in BGR
// order, swapped on the way unless the image is in that order already) and
// stops as soon as `sink` returns false. Returns false then, or
// when the picture is too large for the format's 16-bit sizes.
bool write_tga(const RgbImage& image,
               const std::function<bool(std::span<const std::uint8_t>)>& sink);

}  // namespace pixmera::photocd
