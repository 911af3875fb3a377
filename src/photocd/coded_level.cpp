#include "photocd/coded_level.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "photocd/bit_reader.h"
#include "photocd/parallel.h"

namespace pixmera::photocd {

namespace {

constexpr int row_header_bits = 16;

struct PlaneState {
  Plane* plane = nullptr;
  const HuffmanTable* table = nullptr;
  std::vector<std::uint8_t> arrived;
  int rows_arrived = 0;
  const char* name = "";
};

// Plane numbers 0..3 of the row header; 1 is unassigned.
std::array<PlaneState, 4> plane_states(const CodedLevelTables& tables, YccPlanes& planes) {
  std::array<PlaneState, 4> states;
  states[0] = {&planes.luma, tables.plane[0], {}, 0, "luma"};
  states[2] = {&planes.chroma1, tables.plane[1], {}, 0, "C1"};
  states[3] = {&planes.chroma2, tables.plane[2], {}, 0, "C2"};
  for (PlaneState& state : states) {
    if (state.plane != nullptr)
      state.arrived.assign(static_cast<std::size_t>(state.plane->height), 0);
  }
  return states;
}

std::string row_text(const PlaneState& state, int row) {
  return std::string(state.name) + " row " + std::to_string(row);
}

// Every luma row, and each chroma plane whole or not at all.
bool all_rows_arrived(const std::array<PlaneState, 4>& states, int height, std::string& why) {
  if (states[0].rows_arrived != height) {
    why = "only " + std::to_string(states[0].rows_arrived) + " of " + std::to_string(height) +
          " luma rows present";
    return false;
  }
  for (const PlaneState* state : {&states[2], &states[3]}) {
    if (state->rows_arrived != 0 && state->rows_arrived != state->plane->height) {
      why = "only " + std::to_string(state->rows_arrived) + " of " +
            std::to_string(state->plane->height) + " " + state->name + " rows present";
      return false;
    }
  }
  return true;
}

}  // namespace

// A sync is 23 one bits then a zero, so the first whole byte inside it is
// 0xFF; when that byte is not, no sync starts anywhere before it and the
// search jumps past it.
bool find_sync(BitReader& reader, std::size_t last_start) {
  while (reader.bits_left() >= static_cast<std::size_t>(sync_bits) &&
         reader.position() <= last_start) {
    if ((reader.peek32() >> 8) == sync_pattern) return true;
    const std::size_t position = reader.position();
    const std::size_t first_whole_byte = (position + 7) >> 3;
    if (reader.byte_at(first_whole_byte) != 0xFF) {
      reader.seek(first_whole_byte * 8 + 1);
    } else {
      reader.skip(1);
    }
  }
  return false;
}

// The bits are kept in a register, topped up eight bytes at a time, because
// this loop runs once per sample of the largest levels and the position
// chain is what limits its speed.
bool add_coded_samples(BitReader& reader, const HuffmanTable& table, std::uint8_t* out,
                       int samples) {
  const std::span<const std::uint8_t> bytes = reader.bytes();
  std::size_t next_byte = reader.position() >> 3;
  // Left-aligned: the next bit is bit 63. `count` bits are valid.
  std::uint64_t cache = 0;
  int count = 0;
  const int skip = static_cast<int>(reader.position() & 7);
  auto refill = [&] {
    if (next_byte + 8 <= bytes.size()) {
      cache |= load_be64(bytes.data() + next_byte) >> count;
      next_byte += static_cast<std::size_t>((63 - count) >> 3);
      count |= 56;
    } else {
      while (count <= 56) {
        const std::uint64_t byte = next_byte < bytes.size() ? bytes[next_byte] : 0u;
        cache |= byte << (56 - count);
        ++next_byte;
        count += 8;
      }
    }
  };
  refill();
  cache <<= skip;
  count -= skip;

  // The codes of a piece of the row become deltas first and are added in a
  // second pass: the decode loop then carries nothing but the bit position,
  // and the additions run many samples at a time. A run of codes always
  // stores all its deltas and the byte after them; the next run or code
  // overwrites what lies past its own count.
  constexpr int piece = 1024;
  constexpr int run = HuffmanTable::max_run;
  std::int8_t deltas[piece + run + 1];
  const auto add_deltas = [&](std::uint8_t* to, int n) {
    for (int i = 0; i < n; ++i) {
      const int value = to[i] + deltas[i];
      to[i] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
  };
  for (int done = 0; done < samples;) {
    const int n = std::min(piece, samples - done);
    int x = 0;
    const auto take_one_code = [&] {
      if (count < HuffmanTable::max_code_bits) refill();
      const HuffmanTable::Code code = table.lookup(static_cast<std::uint32_t>(cache >> 48));
      if (code.length == 0) return false;
      cache <<= code.length;
      count -= code.length;
      deltas[x++] = code.delta;
      return true;
    };
    while (x + run <= n) {
      if (count < HuffmanTable::max_code_bits) refill();
      const HuffmanTable::Run codes =
          table.lookup_run(static_cast<std::uint32_t>(cache >> (64 - HuffmanTable::run_bits)));
      if (codes.count() == 0) {
        if (!take_one_code()) break;
        continue;
      }
      std::memcpy(deltas + x, &codes, sizeof codes);
      cache <<= codes.length();
      count -= codes.length();
      x += codes.count();
    }
    while (x < n && take_one_code()) {
    }
    add_deltas(out + done, x);
    if (x < n) return false;
    done += n;
  }
  reader.seek(next_byte * 8 - static_cast<std::size_t>(count));
  return true;
}

bool add_coded_rows(std::span<const std::uint8_t> rows, const CodedLevelTables& tables,
                    YccPlanes& planes, CodedLevelEnd& end, std::string& why) {
  const int height = planes.luma.height;
  std::array<PlaneState, 4> states = plane_states(tables, planes);

  BitReader reader(rows);
  end.terminator_end = 0;
  while (find_sync(reader)) {
    reader.skip(sync_bits);
    if (reader.bits_left() < static_cast<std::size_t>(row_header_bits)) break;
    const std::uint32_t header = reader.peek32() >> 16;
    reader.skip(row_header_bits);
    const int plane_number = static_cast<int>(header >> 14);
    const int row_number = static_cast<int>((header >> 1) & 0x1FFF);
    if (row_number >= height) {
      end.terminator_end = (reader.position() + 7) / 8;
      break;
    }

    PlaneState& state = states[static_cast<std::size_t>(plane_number)];
    if (state.plane == nullptr) {
      why = "row " + std::to_string(row_number) + " names plane 1, which does not exist";
      return false;
    }
    if (state.table == nullptr) {
      why = std::string(state.name) + " row " + std::to_string(row_number) +
            " but no Huffman table for " + state.name;
      return false;
    }
    const int row = plane_number == 0 ? row_number : row_number >> 1;
    if (state.arrived[static_cast<std::size_t>(row)] != 0) {
      why = row_text(state, row) + " appears twice";
      return false;
    }
    if (!add_coded_samples(reader, *state.table, state.plane->row(row), state.plane->width)) {
      why = row_text(state, row) + " holds a bit pattern that is no code";
      return false;
    }
    if (reader.overran()) {
      why = row_text(state, row) + " is cut short";
      return false;
    }
    state.arrived[static_cast<std::size_t>(row)] = 1;
    ++state.rows_arrived;
  }
  return all_rows_arrived(states, height, why);
}

namespace {

// A sync found by the scan and the row header after it.
struct RowStart {
  std::size_t sync_bit = 0;
  int plane_number = 0;
  int row_number = 0;
};

// Whether a sync starts at bit `at` of `bytes` (which holds its 24 bits).
bool sync_at(std::span<const std::uint8_t> bytes, std::size_t at) {
  const std::size_t byte = at >> 3;
  std::uint32_t window = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    window = window << 8 | (byte + i < bytes.size() ? bytes[byte + i] : 0u);
  }
  return ((window << (at & 7)) >> 8) == sync_pattern;
}

// What the side-by-side decode needs: every sync in the order the stream
// holds them, up to the first one that ends the level (`last` says how: a
// row number of `height` or more, or a header cut short by the data's end).
struct SyncScan {
  std::vector<RowStart> rows;  // the syncs before the one that ends the level
  enum class Last { data_end, terminator, header_cut_short } last = Last::data_end;
  std::size_t last_sync_bit = 0;  // where that one starts, unless data_end
  bool too_many = false;          // more syncs than the level has distinct rows
};

// Finds every sync, as find_sync() would one after another from each
// position, without decoding a row. A sync's 23 one bits cover two whole
// bytes of 0xFF (the first two that start inside it), so only bytes
// following a 0xFF need a closer look, and a step of two bytes cannot jump
// over such a pair.
SyncScan scan_syncs(std::span<const std::uint8_t> bytes, int height) {
  SyncScan scan;
  const std::size_t size_bits = bytes.size() * 8;
  const std::size_t most_rows = 2 * static_cast<std::size_t>(height);
  bool ended = false;
  // The syncs whose first whole byte is `first`: they start at one of the
  // eight bits up to and including that byte's first bit.
  auto look_at_pair = [&](std::size_t first) {
    const std::size_t lowest = first * 8 >= 7 ? first * 8 - 7 : 0;
    for (std::size_t at = lowest; at <= first * 8 && !ended; ++at) {
      if (at + sync_bits > size_bits || !sync_at(bytes, at)) continue;
      if (at + sync_bits + row_header_bits > size_bits) {
        scan.last = SyncScan::Last::header_cut_short;
        scan.last_sync_bit = at;
        ended = true;
        return;
      }
      const std::size_t header_at = at + sync_bits;
      std::uint32_t window = 0;
      for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t byte = (header_at >> 3) + i;
        window = window << 8 | (byte < bytes.size() ? bytes[byte] : 0u);
      }
      const std::uint32_t header = (window >> (8 - (header_at & 7))) & 0xFFFF;
      const RowStart row{at, static_cast<int>(header >> 14),
                         static_cast<int>((header >> 1) & 0x1FFF)};
      if (row.row_number >= height) {
        scan.last = SyncScan::Last::terminator;
        scan.last_sync_bit = at;
        ended = true;
        return;
      }
      if (scan.rows.size() == most_rows) {
        scan.too_many = true;
        ended = true;
        return;
      }
      scan.rows.push_back(row);
    }
  };
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n && !ended; i += 2) {
    if (bytes[i] != 0xFF) continue;
    if (i >= 1 && bytes[i - 1] == 0xFF) look_at_pair(i - 1);
    if (!ended && i + 1 < n && bytes[i + 1] == 0xFF) look_at_pair(i);
  }
  return scan;
}

// Whether every row the scan found can be decoded on its own: a plane that
// exists, its table, and no row twice (each row then has a thread of its own
// writing it).
bool rows_stand_alone(const SyncScan& scan, std::array<PlaneState, 4>& states) {
  if (scan.too_many) return false;
  for (const RowStart& start : scan.rows) {
    PlaneState& state = states[static_cast<std::size_t>(start.plane_number)];
    if (state.plane == nullptr || state.table == nullptr) return false;
    const int row = start.plane_number == 0 ? start.row_number : start.row_number >> 1;
    std::uint8_t& arrived = state.arrived[static_cast<std::size_t>(row)];
    if (arrived != 0) return false;
    arrived = 1;
  }
  return true;
}

enum class RowOutcome : std::uint8_t { decoded, no_code, cut_short };

struct DecodedRow {
  std::size_t end_bit = 0;
  RowOutcome outcome = RowOutcome::decoded;
};

}  // namespace

bool add_coded_rows(std::span<const std::uint8_t> rows, const CodedLevelTables& tables,
                    const std::function<void(YccPlanes&)>& predict, YccPlanes& planes,
                    CodedLevelEnd& end, std::string& why, int threads) {
  predict(planes);
  if (threads <= 1) return add_coded_rows(rows, tables, planes, end, why);
  const int height = planes.luma.height;
  const SyncScan scan = scan_syncs(rows, height);
  std::array<PlaneState, 4> states = plane_states(tables, planes);
  if (!rows_stand_alone(scan, states)) return add_coded_rows(rows, tables, planes, end, why);

  // Pieces of about equal length in bits, so each thread decodes about as
  // many codes.
  const std::size_t count = scan.rows.size();
  std::vector<DecodedRow> decoded(count);
  const auto pieces = static_cast<std::size_t>(threads);
  std::vector<std::size_t> first_of_piece(pieces + 1, count);
  if (count != 0) {
    const std::size_t from = scan.rows.front().sync_bit;
    const std::size_t span = rows.size() * 8 - from;
    for (std::size_t i = 0; i < pieces; ++i) {
      const std::size_t boundary = from + span / pieces * i + span % pieces * i / pieces;
      first_of_piece[i] = static_cast<std::size_t>(
          std::lower_bound(scan.rows.begin(), scan.rows.end(), boundary,
                           [](const RowStart& r, std::size_t bit) { return r.sync_bit < bit; }) -
          scan.rows.begin());
    }
  }
  parallel_for(
      pieces,
      [&](std::size_t begin_piece, std::size_t end_piece) {
        BitReader reader(rows);
        for (std::size_t k = first_of_piece[begin_piece]; k < first_of_piece[end_piece]; ++k) {
          const RowStart& start = scan.rows[k];
          const PlaneState& state = states[static_cast<std::size_t>(start.plane_number)];
          const int row = start.plane_number == 0 ? start.row_number : start.row_number >> 1;
          reader.seek(start.sync_bit + sync_bits + row_header_bits);
          DecodedRow& out = decoded[k];
          if (!add_coded_samples(reader, *state.table, state.plane->row(row), state.plane->width)) {
            out.outcome = RowOutcome::no_code;
          } else if (reader.overran()) {
            out.outcome = RowOutcome::cut_short;
          }
          out.end_bit = reader.position();
        }
      },
      threads);

  // The rows as the one-after-another decode meets them: each one's next row
  // is the first sync at or after its end. When that is not the next sync
  // found, a sync pattern lay inside a row's codes; then only that decode
  // can tell what the stream means.
  const std::size_t next_sync_after_all =
      scan.last == SyncScan::Last::data_end ? SIZE_MAX : scan.last_sync_bit;
  for (std::size_t k = 0; k < count; ++k) {
    const RowStart& start = scan.rows[k];
    PlaneState& state = states[static_cast<std::size_t>(start.plane_number)];
    const int row = start.plane_number == 0 ? start.row_number : start.row_number >> 1;
    if (decoded[k].outcome == RowOutcome::no_code) {
      why = row_text(state, row) + " holds a bit pattern that is no code";
      return false;
    }
    if (decoded[k].outcome == RowOutcome::cut_short) {
      why = row_text(state, row) + " is cut short";
      return false;
    }
    const std::size_t next_sync = k + 1 < count ? scan.rows[k + 1].sync_bit : next_sync_after_all;
    if (next_sync != SIZE_MAX && next_sync < decoded[k].end_bit) {
      predict(planes);
      return add_coded_rows(rows, tables, planes, end, why);
    }
    ++state.rows_arrived;
  }
  end.terminator_end = scan.last == SyncScan::Last::terminator
                           ? (scan.last_sync_bit + sync_bits + row_header_bits + 7) / 8
                           : 0;
  return all_rows_arrived(states, height, why);
}

}  // namespace pixmera::photocd
