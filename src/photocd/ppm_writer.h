// Binary PPM output at 16 bits per channel: "P6", the size, maxval 65535,
// then the samples big-endian, rows top-down. The form every reader of deep
// pictures takes, ImageMagick and FreeImage among them.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "photocd/colour_rendering.h"
#include "photocd/parallel.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

std::string ppm48_header(int width, int height);

// Hands the file to `sink`, header first, and stops as soon as `sink`
// returns false. Returns false then, or for a picture without pixels.
bool write_ppm48(const Rgb48Image& image,
                 const std::function<bool(std::span<const std::uint8_t>)>& sink);

// The same file for the upright picture of decoded planes (orientation.h),
// converted band by band on `threads` threads while the sink takes the bands
// before.
bool write_ppm48(const YccPlanes& planes, int quarter_turns,
                 const std::function<bool(std::span<const std::uint8_t>)>& sink,
                 int threads = thread_count(), const ColourRendering* rendering = nullptr);

}  // namespace pixmera::photocd
