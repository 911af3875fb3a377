#include "extension_builder.h"

#include <algorithm>

#include "coded_stream.h"

namespace pixmera::photocd::testing {

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value >> 8);
  out[at + 1] = static_cast<std::uint8_t>(value);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  put16(out, at, value >> 16);
  put16(out, at + 2, value & 0xFFFF);
}

struct Sequence {
  int layer;
  int row;
  int index;
};

}  // namespace

BuiltExtension build_extension(const ExtensionPlan& plan) {
  BuiltExtension built;
  std::vector<std::string> names{"Y0001.ICR"};
  if (plan.luma_files == 2) names.push_back("Y0002.ICR");
  if (plan.layers == 3) {
    names.push_back("C1_0001.ICR");
    names.push_back("C2_0001.ICR");
  }

  const auto table = small_table();
  std::vector<Size> sizes;
  for (int layer = 0; layer < plan.layers; ++layer) {
    const Size size = layer == 0 ? plan.luma : Size{plan.luma.width / 2, plan.luma.height / 2};
    sizes.push_back(size);
    std::vector<int> deltas;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) deltas.push_back((x * 3 + y * 5 + layer) % 7 - 3);
    }
    built.deltas.push_back(std::move(deltas));
  }

  // Which file each sequence goes to, and in what order they are written.
  auto file_of = [&](const Sequence& s) {
    if (s.layer > 0) return static_cast<int>(names.size()) - 3 + s.layer;
    return plan.luma_files == 2 && s.row >= plan.luma.height / 2 ? 1 : 0;
  };
  std::vector<Sequence> order;
  for (int layer = 0; layer < plan.layers; ++layer) {
    for (int row = 0; row < sizes[static_cast<std::size_t>(layer)].height; ++row) {
      for (int s = 0; s < plan.sequences_per_row; ++s) order.push_back({layer, row, s});
    }
  }
  if (plan.backwards) std::reverse(order.begin(), order.end());

  std::vector<CodedStream> streams(names.size());
  // pointers[layer][row * per_row + s] = (file, byte)
  std::vector<std::vector<std::pair<int, std::uint32_t>>> pointers(
      static_cast<std::size_t>(plan.layers));
  for (int layer = 0; layer < plan.layers; ++layer) {
    const Size size = sizes[static_cast<std::size_t>(layer)];
    pointers[static_cast<std::size_t>(layer)].resize(
        static_cast<std::size_t>(size.height * plan.sequences_per_row));
  }
  for (const Sequence& s : order) {
    const Size size = sizes[static_cast<std::size_t>(s.layer)];
    const int length = size.width / plan.sequences_per_row;
    const int file = file_of(s);
    CodedStream& stream = streams[static_cast<std::size_t>(file)];
    pointers[static_cast<std::size_t>(s.layer)]
            [static_cast<std::size_t>(s.row * plan.sequences_per_row + s.index)] = {
                file, static_cast<std::uint32_t>(stream.bit_count() / 8)};
    stream.bits(0, plan.filler_bits % 24);
    for (int i = 0; i < plan.filler_bits / 24; ++i) stream.bits(0, 24);
    stream.bits(0xFFFFFE, 24);
    stream.bits(static_cast<std::uint32_t>(s.layer) << 20 | static_cast<std::uint32_t>(s.row) << 6 |
                    static_cast<std::uint32_t>(s.index) << 1,
                24);
    const auto& deltas = built.deltas[static_cast<std::size_t>(s.layer)];
    const auto first = deltas.begin() + s.row * size.width + s.index * length;
    stream.codes(table, std::vector<int>(first, first + length));
  }
  for (CodedStream& stream : streams) {
    // A terminator and a little fill, as the discs end their files.
    stream.bits(0xFFFFFE, 24);
    stream.bits(0, 24);
    built.files.push_back(stream.finish());
    built.files.back().resize(built.files.back().size() + 16, 0);
  }

  std::size_t end = pointers_at;
  for (const auto& list : pointers) {
    built.pointer_lists.push_back(end);
    end += 6 * list.size();
  }
  std::vector<std::uint8_t>& info = built.info;
  info.assign(end, 0);
  const std::string title = "TEST 64BASE IMAGE PAC EXTENSION";
  std::copy(title.begin(), title.end(), info.begin());
  put16(info, 0x28, 1);
  const auto table_bytes_one = table_bytes(table);
  put32(info, 0x2C, descriptions_at);
  put32(info, 0x30, names_at);
  put32(info, 0x34, static_cast<std::uint32_t>(built.pointer_lists[0]));
  put32(info, 0x38, tables_at);

  put16(info, descriptions_at, static_cast<std::uint32_t>(plan.layers));
  for (int layer = 0; layer < plan.layers; ++layer) {
    const Size size = sizes[static_cast<std::size_t>(layer)];
    const std::size_t at =
        descriptions_at + 2 + layer_record_bytes * static_cast<std::size_t>(layer);
    put16(info, at, layer_record_bytes);
    info[at + 2] = static_cast<std::uint8_t>(layer);
    put16(info, at + 4, static_cast<std::uint32_t>(size.width));
    put16(info, at + 6, static_cast<std::uint32_t>(size.height));
    put32(info, at + 10, static_cast<std::uint32_t>(size.width / plan.sequences_per_row));
    put32(info, at + 14,
          static_cast<std::uint32_t>(built.pointer_lists[static_cast<std::size_t>(layer)]));
    const std::size_t table_at =
        tables_at + table_bytes_one.size() * static_cast<std::size_t>(layer);
    put32(info, at + 18, static_cast<std::uint32_t>(table_at));
    std::copy(table_bytes_one.begin(), table_bytes_one.end(),
              info.begin() + static_cast<std::ptrdiff_t>(table_at));
  }

  put16(info, names_at, static_cast<std::uint32_t>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::size_t at = names_at + 2 + 16 * i;
    std::copy(names[i].begin(), names[i].end(), info.begin() + static_cast<std::ptrdiff_t>(at));
    put32(info, at + 12, static_cast<std::uint32_t>(built.files[i].size()));
  }
  for (std::size_t layer = 0; layer < pointers.size(); ++layer) {
    for (std::size_t i = 0; i < pointers[layer].size(); ++i) {
      const std::size_t at = built.pointer_lists[layer] + 6 * i;
      put16(info, at, static_cast<std::uint32_t>(pointers[layer][i].first));
      put32(info, at + 2, pointers[layer][i].second);
    }
  }
  return built;
}

}  // namespace pixmera::photocd::testing
