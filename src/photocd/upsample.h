// The 2x interpolation every Image Pac level is predicted with. Its rounding
// is part of the format: the coded deltas of 4Base and 16Base were computed
// against exactly these values.
#pragma once

#include <cstdint>

#include "photocd/plane.h"

namespace pixmera::photocd {

// One source row widened to 2 * width samples: even samples copied, odd ones
// the rounded mean of their two neighbours, the last one repeated.
void widen_row(const std::uint8_t* source, int width, std::uint8_t* out);

// The row between source rows `above` and `below`, 2 * width samples: even
// samples the rounded mean of the two above each other, odd ones the rounded
// mean of the four around them, the last one from the last column alone.
void blend_rows(const std::uint8_t* above, const std::uint8_t* below, int width, std::uint8_t* out);

// The whole plane at twice the width and height; the last row is the widened
// last source row repeated. Rows are made on `threads` threads, with the same
// result for any number.
Plane upsample(const Plane& source, int threads = 1);

// All three planes at twice the width and height, their rows shared out
// among `threads` threads together (one start of the threads, not three).
YccPlanes upsample(const YccPlanes& source, int threads = 1);

}  // namespace pixmera::photocd
