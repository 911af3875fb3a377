#include "photocd/huffman_table.h"

#include <algorithm>

namespace pixmera::photocd {

namespace {

struct Entry {
  std::uint32_t first;  // left-aligned in 16 bits, bits below the length cleared
  unsigned length;
  std::int8_t delta;
  std::size_t index;  // position in the file, for messages
};

std::uint32_t span_of(unsigned length) {
  return std::uint32_t{1} << (HuffmanTable::max_code_bits - length);
}

}  // namespace

std::optional<HuffmanTable> HuffmanTable::parse(std::span<const std::uint8_t> bytes,
                                                std::size_t& consumed, std::string& why) {
  if (bytes.empty()) {
    why = "Huffman table missing";
    return std::nullopt;
  }
  const std::size_t count = std::size_t{bytes[0]} + 1;
  const std::size_t size = 1 + 4 * count;
  if (bytes.size() < size) {
    why = "Huffman table of " + std::to_string(count) + " entries needs " + std::to_string(size) +
          " bytes, " + std::to_string(bytes.size()) + " left";
    return std::nullopt;
  }

  std::vector<Entry> entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* raw = bytes.data() + 1 + 4 * i;
    const unsigned length = raw[0] + 1u;
    if (length > max_code_bits) {
      why = "Huffman code " + std::to_string(i) + " is " + std::to_string(length) +
            " bits long, at most 16 allowed";
      return std::nullopt;
    }
    // Bits below the code's length are ignored, as every reader does.
    const std::uint32_t aligned = static_cast<std::uint32_t>(raw[1]) << 8 | raw[2];
    entries.push_back(
        {aligned & ~(span_of(length) - 1), length, static_cast<std::int8_t>(raw[3]), i});
  }

  // A code that is a prefix of another (or equal to it) makes the stream
  // ambiguous. In ascending order (shorter first where the bits agree) every
  // code a prefix covers follows it directly, so neighbours tell.
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.first != b.first ? a.first < b.first : a.length < b.length;
  });
  for (std::size_t i = 1; i < entries.size(); ++i) {
    const Entry& before = entries[i - 1];
    if (entries[i].first - before.first < span_of(before.length)) {
      why = "Huffman code " + std::to_string(entries[i].index) + " collides with code " +
            std::to_string(before.index);
      return std::nullopt;
    }
  }

  HuffmanTable table;
  constexpr unsigned short_shift = max_code_bits - short_code_bits;
  for (const Entry& e : entries) {
    const Code code{e.delta, static_cast<std::uint8_t>(e.length)};
    if (e.length <= short_code_bits) {
      const std::uint32_t begin = e.first >> short_shift;
      std::fill_n(table.short_codes_.begin() + begin, span_of(e.length) >> short_shift, code);
    } else {
      table.long_codes_.push_back({e.first, code});
    }
  }
  // A code is known from the first `run_bits` bits when it fits in them:
  // the bits after it cannot change which code a prefix code starts with.
  for (std::uint32_t bits = 0; bits < table.runs_.size(); ++bits) {
    Run& run = table.runs_[bits];
    int codes = 0;
    int length = 0;
    while (codes < max_run) {
      const std::uint32_t next16 = (bits << (max_code_bits - run_bits) << length) & 0xFFFF;
      const Code code = table.lookup(next16);
      if (code.length == 0 || length + code.length > run_bits) break;
      run.delta[codes++] = code.delta;
      length += code.length;
    }
    run.count_and_length = static_cast<std::uint8_t>(codes << 4 | length);
  }
  consumed = size;
  return table;
}

HuffmanTable::Code HuffmanTable::lookup_long(std::uint32_t next16) const {
  auto after =
      std::upper_bound(long_codes_.begin(), long_codes_.end(), next16,
                       [](std::uint32_t bits, const LongCode& c) { return bits < c.first; });
  if (after == long_codes_.begin()) return {};
  const LongCode& candidate = *(after - 1);
  return next16 - candidate.first < span_of(candidate.code.length) ? candidate.code : Code{};
}

}  // namespace pixmera::photocd
