// Uncompressed 24-bit Targa output with the top-left origin bit set, so the
// rows run top-down and every reader agrees which way is up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "photocd/colour_rendering.h"
#include "photocd/parallel.h"
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

// The same file for the upright picture of decoded planes (orientation.h),
// converted band by band on `threads` threads while the sink takes the bands
// before, so the picture is never held whole.
bool write_tga(const YccPlanes& planes, int quarter_turns,
               const std::function<bool(std::span<const std::uint8_t>)>& sink,
               int threads = thread_count(), const ColourRendering* rendering = nullptr);

}  // namespace pixmera::photocd
