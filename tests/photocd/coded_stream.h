// Builds Huffman tables and coded rows in the Image Pac layout, so tests can
// make exactly the damaged or unusual streams they need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pixmera::photocd::testing {

struct TableEntry {
  int length;          // 1..16 (17 to write a damaged table)
  std::uint32_t code;  // right-aligned, `length` bits
  int delta;           // -128..127
};

// Count byte, then per entry length - 1, the code left-aligned in 16 bits,
// the delta.
std::vector<std::uint8_t> table_bytes(const std::vector<TableEntry>& entries);

class CodedStream {
 public:
  void bits(std::uint32_t value, int count);
  // Sync, then plane (0 luma, 2 C1, 3 C2), row number and the zero bit.
  void row_header(int plane, int row);
  // One code per delta, looked up in `entries` (each delta must be there).
  void codes(const std::vector<TableEntry>& entries, const std::vector<int>& deltas);
  // Pads to a byte boundary with zero bits and returns the bytes.
  std::vector<std::uint8_t> finish();
  std::size_t bit_count() const { return bit_count_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t bit_count_ = 0;
};

// A small code over deltas -3..3 in which no code is all ones.
std::vector<TableEntry> small_table();

}  // namespace pixmera::photocd::testing
