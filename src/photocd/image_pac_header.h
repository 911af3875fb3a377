// The few header fields the decoder needs from an Image Pac's first sectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "photocd/level.h"

namespace pixmera::photocd {

inline constexpr std::size_t sector_bytes = 0x800;
// The bytes read_image_pac_header needs: up to the end of the first
// attribute record.
inline constexpr std::size_t image_pac_header_bytes = 0xE07;

struct ImagePacHeader {
  // The largest of Base, 4Base and 16Base the attribute byte claims.
  Level highest_level = Level::base;
  // Quarter turns counter-clockwise that bring the stored landscape raster
  // upright: 0 none, 1 a quarter turn, 2 a half turn, 3 three quarters (that
  // is, a quarter turn clockwise).
  int quarter_turns = 0;
  // Attribute bit 4: a Pro Photo CD picture whose 64Base level lies in an
  // extension folder beside the disc's IMAGES folder.
  bool has_extension = false;
  // Sector numbers from the attribute record, 0 when the file leaves them
  // empty. Neither is trusted: the decoder checks both against the file.
  std::uint32_t sector_after_four_base = 0;
  std::uint32_t sector_after_sixteen_base = 0;
};

// Reads the header of an Image Pac, or explains in `why` what it found instead.
std::optional<ImagePacHeader> read_image_pac_header(std::span<const std::uint8_t> file,
                                                    std::string& why);

}  // namespace pixmera::photocd
