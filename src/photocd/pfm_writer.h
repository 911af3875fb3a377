// Floating-point output: a colour PFM ("PF", the size, the byte order as a
// negative scale for little-endian samples, then three 32-bit floats per
// pixel, the bottom row first). Nothing is clipped: highlights above
// reference white stay above 1.0 and colours outside the primaries below 0.
// FreeImage reads it straight into its own bottom-up floating-point rows.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "photocd/colour_rendering.h"
#include "photocd/parallel.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

std::string pfm_header(int width, int height);

// The upright picture of decoded planes (orientation.h), converted band by
// band on `threads` threads while `sink` takes the bands before; stops and
// returns false as soon as `sink` does, or for a picture without pixels.
bool write_pfm(const YccPlanes& planes, int quarter_turns,
               const std::function<bool(std::span<const std::uint8_t>)>& sink,
               int threads = thread_count(), const ColourRendering* rendering = nullptr);

}  // namespace pixmera::photocd
