// How each PhotoCD fuzzer reads its input. Shared with the regression test,
// which replays every kept input through the same functions. Each input is
// decoded on one thread and on several; when the two answers differ (the
// picture, or the failure and its reason), the process aborts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pixmera::photocd::fuzzing {

// The whole input is a file; every level is decoded.
void decode_file_input(std::span<const std::uint8_t> input);

// Byte 0 and 1 pick the luma width (2..128) and height (2..64), both even;
// byte 2 times 4 is the offset of the row data behind byte 3, where up to
// three Huffman tables start. The rows are decoded onto planes of that size.
void decode_rows_input(std::span<const std::uint8_t> input);

// The two fixtures the patch input changes: a 4Base and a 16Base Image Pac.
struct PatchTemplates {
  std::vector<std::uint8_t> four_base;
  std::vector<std::uint8_t> sixteen_base;
};
// Loads photo_4base.pcd and kodak_rot180_16base.pcd from `pcd_dir`; empty
// vectors when they cannot be read.
PatchTemplates load_patch_templates(const std::string& pcd_dir);

// Byte 0 picks the fixture (bit 0), the level (bit 1: 16Base when the
// 16Base fixture is picked, else 4Base) and whether bytes 1-3 give a new
// file length (bit 2). Then patches of four bytes each: a 24-bit position
// and the value written there. The position's top three bits pick a region
// (header, tables, the first and the last coded rows, or the whole file),
// the rest a byte inside it.
void decode_patch_input(std::span<const std::uint8_t> input, const PatchTemplates& templates);

// An Image Pac extension on a small level. Byte 0 picks the luma width
// (2..64), byte 1 the height (2..32), both even; byte 2 the number of .ICR
// files (bits 0-1, 1..4) and whether two threads (bit 2 set) or three decode
// beside the one thread. Then one
// 16-bit length per file, the files back to back, and INFO.IC as the rest.
// The files stand for the names INFO.IC lists, in its order. Returns whether
// the level decoded.
bool decode_extension_input(std::span<const std::uint8_t> input);

// The input decode_extension_input reads back as these parts.
std::vector<std::uint8_t> extension_input(int luma_width, int luma_height,
                                          const std::vector<std::uint8_t>& info,
                                          const std::vector<std::vector<std::uint8_t>>& files,
                                          bool two_threads);

}  // namespace pixmera::photocd::fuzzing
