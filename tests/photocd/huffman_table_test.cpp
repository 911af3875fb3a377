#include "photocd/huffman_table.h"

#include <gtest/gtest.h>

#include "coded_stream.h"

namespace pixmera::photocd {
namespace {

using testing::table_bytes;
using testing::TableEntry;

std::optional<HuffmanTable> parse(const std::vector<std::uint8_t>& bytes) {
  std::size_t consumed = 0;
  std::string why;
  return HuffmanTable::parse(bytes, consumed, why);
}

// Lengths on both sides of the short-code limit, up to 16 bits; every
// continuation of a code must find it, and patterns between codes none.
TEST(HuffmanTable, EveryContinuationOfACodeFindsIt) {
  auto entries = testing::small_table();
  entries.push_back({11, 0b11110000000, -7});
  entries.push_back({12, 0b111100000010, 9});
  entries.push_back({16, 0b1111000000110000, -128});
  entries.push_back({16, 0b1111000000110001, 127});
  std::size_t consumed = 0;
  std::string why;
  const auto table = HuffmanTable::parse(table_bytes(entries), consumed, why);
  ASSERT_TRUE(table) << why;
  EXPECT_EQ(consumed, 1 + 4 * entries.size());
  for (const TableEntry& e : entries) {
    const std::uint32_t first = e.code << (16 - e.length);
    const std::uint32_t last = first | ((1u << (16 - e.length)) - 1);
    for (std::uint32_t bits : {first, last, (first + last) / 2}) {
      EXPECT_EQ(table->lookup(bits).length, e.length) << std::hex << bits;
      EXPECT_EQ(table->lookup(bits).delta, e.delta) << std::hex << bits;
    }
  }
  for (std::uint32_t none : {0xFFFFu, 0xF800u, 0b1111000000111111u})
    EXPECT_EQ(table->lookup(none).length, 0);
}

TEST(HuffmanTable, BitsBelowTheCodeLengthAreIgnored) {
  auto bytes = table_bytes({{2, 0b01, 3}, {1, 0b1, -3}});
  bytes[3] |= 0x3F;  // noise under the 2-bit code 01
  const auto table = parse(bytes);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->lookup(0x4000).delta, 3);
  EXPECT_EQ(table->lookup(0x8000).delta, -3);
}

TEST(HuffmanTable, DamagedTablesAreRefused) {
  auto cut = table_bytes(testing::small_table());
  cut.pop_back();
  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases{
      {"empty", {}},
      {"cut short", cut},
      {"17-bit code", table_bytes({{17, 0, 1}})},
      {"same code twice", table_bytes({{3, 0b010, 1}, {3, 0b010, 2}})},
      {"short code over a longer one", table_bytes({{4, 0b0101, 1}, {2, 0b01, 2}})},
      // Neither end of the 1-bit code's range is taken; only its middle is.
      {"nested in the middle", table_bytes({{4, 0b0101, 1}, {1, 0b0, 2}})},
      {"long code under a shorter one", table_bytes({{2, 0b11, 1}, {16, 0xC123, 2}})},
  };
  for (const auto& [what, bytes] : cases) EXPECT_FALSE(parse(bytes)) << what;
}

}  // namespace
}  // namespace pixmera::photocd
