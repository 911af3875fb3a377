// Turns the stored landscape raster the way the attribute byte asks, so the
// picture comes out as it should be seen.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "photocd/level.h"
#include "photocd/parallel.h"
#include "photocd/plane.h"
#include "photocd/ycc_to_rgb.h"

namespace pixmera::photocd {

// quarter_turns counter-clockwise, 0..3 (3 is a quarter turn clockwise).
RgbImage turn_counter_clockwise(RgbImage image, int quarter_turns);
Rgb48Image turn_counter_clockwise(Rgb48Image image, int quarter_turns);

// The size of the upright picture made from planes stored landscape.
Size upright_size(const YccPlanes& planes, int quarter_turns);

// How the pixels of the upright picture are written: their layout, the
// rendering of their colours (none: the plain conversion) and the order of
// the rows.
struct PixelEncoding {
  PixelForm form = PixelForm::rgb24;
  const ColourRendering* rendering = nullptr;
  bool bottom_up = false;  // the bottom row first, as PFM stores them
};

// Rows `begin` to `end - 1` of the upright picture, converted from the planes
// and turned on the way: the same pixels as turn_counter_clockwise() of the
// converted picture, without holding either whole picture. Rows are packed
// (width times bytes_per_pixel(form) each) into `out`. Any band can be made
// on its own, so bands can be made side by side.
void upright_rows(const YccPlanes& planes, int quarter_turns, PixelForm form, int begin, int end,
                  std::uint8_t* out, const ColourRendering* rendering = nullptr);

// The whole upright picture into `out` (packed rows, top row first), made in
// bands on `threads` threads.
void fill_upright(const YccPlanes& planes, int quarter_turns, PixelForm form, std::uint8_t* out,
                  int threads = thread_count());

// The upright picture handed to `sink` in bands of rows, top row first (or
// bottom row first), made on `threads` threads while the sink takes the
// bands before; stops and returns false as soon as `sink` does.
bool hand_over_upright(const YccPlanes& planes, int quarter_turns, PixelEncoding encoding,
                       const std::function<bool(std::span<const std::uint8_t>)>& sink,
                       int threads = thread_count());

}  // namespace pixmera::photocd
