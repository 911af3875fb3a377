// Turns the stored landscape raster the way the attribute byte asks, so the
// picture comes out as it should be seen.
#pragma once

#include "photocd/plane.h"

namespace pixmera::photocd {

// quarter_turns counter-clockwise, 0..3 (3 is a quarter turn clockwise).
RgbImage turn_counter_clockwise(RgbImage image, int quarter_turns);
Rgb48Image turn_counter_clockwise(Rgb48Image image, int quarter_turns);

}  // namespace pixmera::photocd
