// The Huffman tables of the 4Base and 16Base levels. A table maps codes of up
// to 16 bits to signed 8-bit deltas.
#pragma once

#include <array>
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
  // Codes this long or shorter are found with one load from a table small
  // enough to stay in the first-level cache; they are nearly all the codes
  // of a real picture. Longer ones are looked up in a sorted list.
  static constexpr int short_code_bits = 11;

  struct Code {
    std::int8_t delta = 0;
    std::uint8_t length = 0;  // 0: no code starts with these bits
  };

  // Parses one table from the start of `bytes`: a count byte (entries - 1),
  // then per entry the code length - 1, the code left-aligned in 16 bits and
  // the delta. Fails on a length above 16, a code that is a prefix of another
  // (or equal to it) and on a table running past `bytes`. On success
  // `consumed` is the table's size in bytes.
  static std::optional<HuffmanTable> parse(std::span<const std::uint8_t> bytes,
                                           std::size_t& consumed, std::string& why);

  // The code the next 16 bits of the stream start with, most significant
  // bit first.
  Code lookup(std::uint32_t next16) const {
    const Code code = short_codes_[next16 >> (max_code_bits - short_code_bits)];
    return code.length != 0 ? code : lookup_long(next16);
  }

  // The whole codes, up to three, that the next `run_bits` bits hold, so a
  // decoder takes several samples per lookup: real pictures spend about four
  // bits a sample. Four bytes: the deltas (unused ones 0), then the count
  // (0 when the first code is longer or there is none; lookup() then tells
  // which) in the high half and the bits the codes take in the low half.
  static constexpr int run_bits = 12;
  static constexpr int max_run = 3;
  struct Run {
    std::int8_t delta[max_run] = {};
    std::uint8_t count_and_length = 0;

    int count() const { return count_and_length >> 4; }
    int length() const { return count_and_length & 15; }
  };
  static_assert(sizeof(Run) == 4 && run_bits < 16 && max_run < 16);
  Run lookup_run(std::uint32_t next_run_bits) const { return runs_[next_run_bits]; }

 private:
  struct LongCode {
    std::uint32_t first;  // the code left-aligned in 16 bits
    Code code;
  };

  HuffmanTable() = default;
  Code lookup_long(std::uint32_t next16) const;

  // Indexed by the next 11 bits; length 0 where the code is longer or there
  // is none.
  std::array<Code, std::size_t{1} << short_code_bits> short_codes_{};
  std::vector<LongCode> long_codes_;                    // ascending by `first`
  std::array<Run, std::size_t{1} << run_bits> runs_{};  // indexed by the next 12 bits
};

}  // namespace pixmera::photocd
