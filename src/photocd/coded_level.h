// The Huffman-coded rows of 4Base and 16Base. Each row starts with a sync
// (0xFFFFFE), then 16 bits: the plane in 2 bits (0 luma, 2 C1, 3 C2), the row
// in 13 bits (chroma rows numbered by their even luma row) and a zero bit,
// then one code per sample. A sync whose row equals the level's height ends
// the level.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "photocd/bit_reader.h"
#include "photocd/huffman_table.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

inline constexpr std::uint32_t sync_pattern = 0xFFFFFE;
inline constexpr int sync_bits = 24;

// Moves the reader to the first sync that starts at or after its position
// and no later than bit `last_start`, and returns true; returns false when
// there is none.
bool find_sync(BitReader& reader, std::size_t last_start = SIZE_MAX);

// Adds `samples` coded deltas from the reader's position to `out` (clipped to
// 0..255) and leaves the reader after the last code. Returns false on a bit
// pattern that starts no code; running past the data reads zero bits, which
// the caller sees from reader.overran().
bool add_coded_samples(BitReader& reader, const HuffmanTable& table, std::uint8_t* out,
                       int samples);

struct CodedLevelTables {
  // Luma, C1, C2; a missing table is nullptr and only fails the level when a
  // row needs it.
  std::array<const HuffmanTable*, 3> plane{};
};

struct CodedLevelEnd {
  // Byte offset within `rows` just past the terminating sync and its row
  // header, or 0 when the data ran out before a terminator.
  std::size_t terminator_end = 0;
};

// Adds the deltas in `rows` to `planes`, which hold the prediction: luma at
// the level's size, chroma at half width and height. Succeeds only when every
// luma row arrived exactly once and each chroma plane either arrived whole or
// not at all (a level may leave its chroma to the prediction); an unknown
// code, a repeated row or rows cut short fail the level.
bool add_coded_rows(std::span<const std::uint8_t> rows, const CodedLevelTables& tables,
                    YccPlanes& planes, CodedLevelEnd& end, std::string& why);

// The same on `threads` threads, with the same planes, end and reason for any
// input. `predict` fills `planes` with the prediction. The syncs are found
// first, then the rows decode side by side; when that cannot settle the
// result (a sync pattern inside a row's codes, a repeated row, a row of a
// plane without a table), it predicts again and decodes the rows one after
// another as above.
bool add_coded_rows(std::span<const std::uint8_t> rows, const CodedLevelTables& tables,
                    const std::function<void(YccPlanes&)>& predict, YccPlanes& planes,
                    CodedLevelEnd& end, std::string& why, int threads);

}  // namespace pixmera::photocd
