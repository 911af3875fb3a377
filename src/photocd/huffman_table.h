// The Huffman tables of the 4Base and 16Base levels. A table maps codes of up
// to 16 bits to signed 8-bit deltas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pixmera::photocd {

class HuffmanTable {
 public:
  static constexpr int max_code_bits = 16;

  struct Code {
    std::int8_t delta = 0;
    std::uint8_t length = 0;  // 0: no code starts with these bits
  };

  // Parses one table from the start of `bytes`: a count byte (entries - 1),
  // then per entry the code length - 1, the code left-aligned in 16 bits and
  // the delta. Fails on a length above 16, a code that is a prefix of another
  // (or equal to it) and on a table running past `bytes`. On success
  // `consumed` is the table's size in bytes.
  static std::optional<HuffmanTable> parse(std::span<const std::uint8_t> bytes, std::size_t& consumed,
                                           std::string& why);

  // The code the next 16 bits of the stream start with, most significant
  // bit first.
  Code lookup(std::uint32_t next16) const { return codes_[next16]; }

 private:
  HuffmanTable() : codes_(std::size_t{1} << max_code_bits) {}

  // Indexed by the next 16 bits: every index that starts with a code holds
  // that code, so one load decodes one code.
  std::vector<Code> codes_;
};

}  // namespace pixmera::photocd
