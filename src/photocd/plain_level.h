// Base/16, Base/4 and Base, stored without compression.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "photocd/level.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

// Reads one of the three plain levels. Each is stored from a fixed sector as
// groups of two luma rows followed by one C1 and one C2 row at half width.
std::optional<YccPlanes> read_plain_level(std::span<const std::uint8_t> file, Level level,
                                          std::string& why);

}  // namespace pixmera::photocd
