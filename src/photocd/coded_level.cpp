#include "photocd/coded_level.h"

#include <vector>

#include "photocd/bit_reader.h"

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

  for (int x = 0; x < samples; ++x) {
    if (count < HuffmanTable::max_code_bits) refill();
    const HuffmanTable::Code code = table.lookup(static_cast<std::uint32_t>(cache >> 48));
    if (code.length == 0) return false;
    cache <<= code.length;
    count -= code.length;
    const int value = out[x] + code.delta;
    out[x] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
  }
  reader.seek(next_byte * 8 - static_cast<std::size_t>(count));
  return true;
}

bool add_coded_rows(std::span<const std::uint8_t> rows, const CodedLevelTables& tables,
                    YccPlanes& planes, CodedLevelEnd& end, std::string& why) {
  const int height = planes.luma.height;
  // Plane numbers 0..3 of the row header; 1 is unassigned.
  std::array<PlaneState, 4> states;
  states[0] = {&planes.luma, tables.plane[0], {}, 0, "luma"};
  states[2] = {&planes.chroma1, tables.plane[1], {}, 0, "C1"};
  states[3] = {&planes.chroma2, tables.plane[2], {}, 0, "C2"};
  for (PlaneState& state : states) {
    if (state.plane != nullptr)
      state.arrived.assign(static_cast<std::size_t>(state.plane->height), 0);
  }

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
      why = std::string(state.name) + " row " + std::to_string(row) + " appears twice";
      return false;
    }
    if (!add_coded_samples(reader, *state.table, state.plane->row(row), state.plane->width)) {
      why = std::string(state.name) + " row " + std::to_string(row) +
            " holds a bit pattern that is no code";
      return false;
    }
    if (reader.overran()) {
      why = std::string(state.name) + " row " + std::to_string(row) + " is cut short";
      return false;
    }
    state.arrived[static_cast<std::size_t>(row)] = 1;
    ++state.rows_arrived;
  }

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

}  // namespace pixmera::photocd
