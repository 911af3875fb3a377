#include "photocd/huffman_table.h"

namespace pixmera::photocd {

std::optional<HuffmanTable> HuffmanTable::parse(std::span<const std::uint8_t> bytes, std::size_t& consumed,
                                                std::string& why) {
  if (bytes.empty()) {
    why = "Huffman table missing";
    return std::nullopt;
  }
  const std::size_t entries = std::size_t{bytes[0]} + 1;
  const std::size_t size = 1 + 4 * entries;
  if (bytes.size() < size) {
    why = "Huffman table of " + std::to_string(entries) + " entries needs " + std::to_string(size) +
          " bytes, " + std::to_string(bytes.size()) + " left";
    return std::nullopt;
  }

  HuffmanTable table;
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint8_t* entry = bytes.data() + 1 + 4 * i;
    const unsigned length = entry[0] + 1u;
    if (length > max_code_bits) {
      why = "Huffman code " + std::to_string(i) + " is " + std::to_string(length) + " bits long, at most 16 allowed";
      return std::nullopt;
    }
    // Bits below the code's length are ignored, as every reader does.
    const unsigned span_bits = max_code_bits - length;
    const std::uint32_t first = (static_cast<std::uint32_t>(entry[1]) << 8 | entry[2]) >> span_bits << span_bits;
    const std::uint32_t count = std::uint32_t{1} << span_bits;
    // A code that is a prefix of another (or equal to it) makes the stream
    // ambiguous, so such a table counts as damaged. Every slot is written at
    // most once before a collision stops the loop, which bounds the work.
    const Code code{static_cast<std::int8_t>(entry[3]), static_cast<std::uint8_t>(length)};
    for (std::uint32_t k = first; k < first + count; ++k) {
      if (table.codes_[k].length != 0) {
        why = "Huffman code " + std::to_string(i) + " collides with an earlier code";
        return std::nullopt;
      }
      table.codes_[k] = code;
    }
  }
  consumed = size;
  return table;
}

}  // namespace pixmera::photocd
