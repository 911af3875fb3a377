#include "coded_stream.h"

#include <stdexcept>

namespace pixmera::photocd::testing {

std::vector<std::uint8_t> table_bytes(const std::vector<TableEntry>& entries) {
  std::vector<std::uint8_t> out{static_cast<std::uint8_t>(entries.size() - 1)};
  for (const TableEntry& e : entries) {
    const std::uint32_t aligned = e.length <= 16 ? e.code << (16 - e.length) : e.code;
    out.push_back(static_cast<std::uint8_t>(e.length - 1));
    out.push_back(static_cast<std::uint8_t>(aligned >> 8));
    out.push_back(static_cast<std::uint8_t>(aligned));
    out.push_back(static_cast<std::uint8_t>(e.delta));
  }
  return out;
}

void CodedStream::bits(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (bit_count_ % 8 == 0) bytes_.push_back(0);
    if ((value >> i) & 1u) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> (bit_count_ % 8));
    ++bit_count_;
  }
}

void CodedStream::row_header(int plane, int row) {
  bits(0xFFFFFE, 24);
  bits(static_cast<std::uint32_t>(plane) << 14 | static_cast<std::uint32_t>(row) << 1, 16);
}

void CodedStream::codes(const std::vector<TableEntry>& entries, const std::vector<int>& deltas) {
  for (int delta : deltas) {
    bool found = false;
    for (const TableEntry& e : entries) {
      if (e.delta == delta) {
        bits(e.code, e.length);
        found = true;
        break;
      }
    }
    if (!found) throw std::invalid_argument("delta " + std::to_string(delta) + " not in the table");
  }
}

std::vector<std::uint8_t> CodedStream::finish() { return bytes_; }

std::vector<TableEntry> small_table() {
  return {
      {1, 0b0, 0},     {3, 0b100, 1},   {3, 0b101, -1},   {4, 0b1100, 2},
      {4, 0b1101, -2}, {5, 0b11100, 3}, {5, 0b11101, -3},
  };
}

}  // namespace pixmera::photocd::testing
