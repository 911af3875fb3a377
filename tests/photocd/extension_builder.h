// Builds small Image Pac extensions (INFO.IC and its .ICR files) in the disc
// layout, so tests and fuzzer seeds can have exactly the level, the file
// split and the faults they need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "photocd/level.h"

namespace pixmera::photocd::testing {

struct ExtensionPlan {
  Size luma{32, 16};
  int sequences_per_row = 1;
  int layers = 3;      // 1 (luma only) or 3
  int luma_files = 1;  // 1, or 2 with the second half of the rows in a second file
  // Zero bits after each sequence; a pointer names the byte the filler
  // starts in, so the syncs are not byte-aligned and lie a little after it.
  int filler_bits = 0;
  // Sequences written into the files last first.
  bool backwards = false;
};

// Where INFO.IC keeps its parts.
inline constexpr std::size_t descriptions_at = 0x40;
inline constexpr std::size_t names_at = 0x100;
inline constexpr std::size_t tables_at = 0x200;
inline constexpr std::size_t pointers_at = 0x300;
inline constexpr std::size_t layer_record_bytes = 28;

struct BuiltExtension {
  std::vector<std::uint8_t> info;
  std::vector<std::vector<std::uint8_t>>
      files;  // Y0001.ICR [, Y0002.ICR], C1_0001.ICR, C2_0001.ICR
  // Per layer: its pointer list's offset in INFO.IC, and the deltas coded,
  // row by row (luma at plan.luma, chroma at half width and height).
  std::vector<std::size_t> pointer_lists;
  std::vector<std::vector<int>> deltas;
};

// Deltas in -3..3 from a fixed pattern, coded with testing::small_table().
BuiltExtension build_extension(const ExtensionPlan& plan);

}  // namespace pixmera::photocd::testing
