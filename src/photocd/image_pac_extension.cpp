#include "photocd/image_pac_extension.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <utility>

#include "photocd/bit_reader.h"
#include "photocd/coded_level.h"

namespace pixmera::photocd {

namespace {

// INFO.IC starts with a 40-byte name and two 16-bit words nothing depends
// on, then four offsets from the start of the file.
constexpr std::size_t descriptions_field = 0x2C;
constexpr std::size_t names_field = 0x30;
constexpr std::size_t pointers_field = 0x34;  // the first layer's pointers
constexpr std::size_t tables_field = 0x38;    // the first layer's table
constexpr std::size_t header_bytes = 0x3C;

// A layer description: record length (16 bits), component, a byte nothing
// depends on, width, height, column offset (16 bits each), sequence length,
// pointer list offset and table offset (32 bits each). Real records are 28
// bytes, the last 6 unused.
constexpr std::size_t layer_fields_bytes = 22;
constexpr std::size_t name_record_bytes = 16;  // 12 bytes of name, a 32-bit size
constexpr std::size_t name_bytes = 12;
constexpr std::size_t pointer_bytes = 6;  // 16-bit file index, 32-bit offset
constexpr int max_files = 16;
// The sequence number in a sequence header has 4 bits.
constexpr int max_sequences_per_row = 16;
// A pointer names the byte a sequence's sync starts in; the sync may start at
// any bit of it, or a few bytes later after filler.
constexpr std::size_t sync_slack_bits = 16 * 8;
constexpr int sequence_header_bits = 24;

constexpr const char* component_names[3] = {"luma", "C1", "C2"};

std::uint32_t be16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 8 | bytes[at + 1];
}

std::uint32_t be32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return be16(bytes, at) << 16 | be16(bytes, at + 2);
}

// Whether `length` bytes from `offset` lie inside `size`, without overflow.
bool fits(std::uint64_t offset, std::uint64_t length, std::size_t size) {
  return offset <= size && length <= size - offset;
}

std::string hex(std::uint64_t value) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

// An 8.3 name padded with NULs: letters, digits, '_' and one '.', and never
// a folder, so opening it beside INFO.IC cannot reach anywhere else.
bool plausible_file_name(const std::string& name) {
  if (name.empty() || name.size() > name_bytes) return false;
  if (std::count(name.begin(), name.end(), '.') > 1 || name.front() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
  });
}

std::optional<std::vector<ExtensionFile>> read_file_names(std::span<const std::uint8_t> info,
                                                          std::uint32_t offset, std::string& why) {
  if (!fits(offset, 2, info.size())) {
    why = "INFO.IC file list at " + hex(offset) + " lies outside its " +
          std::to_string(info.size()) + " bytes";
    return std::nullopt;
  }
  const std::uint32_t count = be16(info, offset);
  if (count < 1 || count > max_files) {
    why = "INFO.IC names " + std::to_string(count) + " files, expected 1 to " +
          std::to_string(max_files);
    return std::nullopt;
  }
  if (!fits(offset + std::uint64_t{2}, std::uint64_t{count} * name_record_bytes, info.size())) {
    why = "INFO.IC file list of " + std::to_string(count) + " names at " + hex(offset) +
          " runs past its " + std::to_string(info.size()) + " bytes";
    return std::nullopt;
  }
  std::vector<ExtensionFile> files;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = offset + 2 + std::size_t{i} * name_record_bytes;
    const auto raw = info.subspan(at, name_bytes);
    const auto nul = std::find(raw.begin(), raw.end(), std::uint8_t{0});
    ExtensionFile file{std::string(raw.begin(), nul), be32(info, at + name_bytes)};
    if (!std::all_of(nul, raw.end(), [](std::uint8_t b) { return b == 0; }) ||
        !plausible_file_name(file.name)) {
      why = "INFO.IC file name " + std::to_string(i) + " is not an 8.3 name";
      return std::nullopt;
    }
    files.push_back(std::move(file));
  }
  return files;
}

std::optional<ExtensionLayer> read_layer(std::span<const std::uint8_t> info, std::size_t at,
                                         int index, Size luma_size,
                                         const std::vector<ExtensionFile>& files,
                                         std::string& why) {
  const std::string name = component_names[index];
  const int component = info[at + 2];
  if (component != index) {
    why = "INFO.IC layer " + std::to_string(index) + " is component " + std::to_string(component) +
          ", expected " + std::to_string(index) + " (" + name + ")";
    return std::nullopt;
  }
  const Size expected = index == 0 ? luma_size : Size{luma_size.width / 2, luma_size.height / 2};
  const auto width = static_cast<int>(be16(info, at + 4));
  const auto height = static_cast<int>(be16(info, at + 6));
  if (width != expected.width || height != expected.height) {
    why = "INFO.IC " + name + " layer is " + std::to_string(width) + "x" + std::to_string(height) +
          ", expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
    return std::nullopt;
  }
  if (const std::uint32_t column_offset = be16(info, at + 8); column_offset != 0) {
    why = "INFO.IC " + name + " layer starts at column " + std::to_string(column_offset) +
          ", expected 0";
    return std::nullopt;
  }
  const std::uint32_t length = be32(info, at + 10);
  if (length == 0 || static_cast<std::uint32_t>(width) % length != 0 ||
      static_cast<std::uint32_t>(width) / length > max_sequences_per_row) {
    why = "INFO.IC " + name + " sequences of " + std::to_string(length) +
          " samples do not divide a row of " + std::to_string(width) + " into 1 to " +
          std::to_string(max_sequences_per_row);
    return std::nullopt;
  }
  const int per_row = width / static_cast<int>(length);
  const std::uint32_t pointers_at = be32(info, at + 14);
  const std::uint32_t table_at = be32(info, at + 18);

  const std::size_t count = static_cast<std::size_t>(height) * static_cast<std::size_t>(per_row);
  if (!fits(pointers_at, std::uint64_t{count} * pointer_bytes, info.size())) {
    why = "INFO.IC " + name + " pointer list (" + std::to_string(count) + " pointers at " +
          hex(pointers_at) + ") runs past its " + std::to_string(info.size()) + " bytes";
    return std::nullopt;
  }
  std::vector<SequencePointer> pointers(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t p = pointers_at + i * pointer_bytes;
    const SequencePointer pointer{static_cast<std::uint16_t>(be16(info, p)), be32(info, p + 2)};
    if (pointer.file >= files.size() || pointer.offset >= files[pointer.file].size) {
      why = "INFO.IC " + name + " sequence " + std::to_string(i) + " points to file " +
            std::to_string(pointer.file) + " byte " + hex(pointer.offset) +
            ", which no file it names holds";
      return std::nullopt;
    }
    pointers[i] = pointer;
  }

  if (table_at >= info.size()) {
    why = "INFO.IC " + name + " table at " + hex(table_at) + " lies outside its " +
          std::to_string(info.size()) + " bytes";
    return std::nullopt;
  }
  std::size_t consumed = 0;
  std::string table_why;
  auto table = HuffmanTable::parse(info.subspan(table_at), consumed, table_why);
  if (!table) {
    why = "INFO.IC " + name + " " + table_why;
    return std::nullopt;
  }
  return ExtensionLayer{index,
                        width,
                        height,
                        static_cast<int>(length),
                        per_row,
                        std::move(pointers),
                        std::move(*table)};
}

// Finds and decodes one sequence onto `out`. Returns the reason it failed, or
// an empty text.
std::string add_sequence(std::span<const std::uint8_t> file, const std::string& file_name,
                         const ExtensionLayer& layer, int row, int sequence, std::uint8_t* out) {
  const SequencePointer& pointer =
      layer.pointers[static_cast<std::size_t>(row) *
                         static_cast<std::size_t>(layer.sequences_per_row) +
                     static_cast<std::size_t>(sequence)];
  auto what = [&] {
    return std::string(component_names[layer.component]) + " row " + std::to_string(row) +
           " sequence " + std::to_string(sequence) + " (" + file_name + " byte " +
           hex(pointer.offset) + ")";
  };
  BitReader reader(file);
  const std::size_t start = std::size_t{pointer.offset} * 8;
  reader.seek(start);
  if (!find_sync(reader, start + sync_slack_bits - 1)) return what() + ": no sync there";
  reader.skip(sync_bits);
  if (reader.bits_left() < static_cast<std::size_t>(sequence_header_bits)) {
    return what() + ": cut short in its header";
  }
  // Two zero bits, the plane (0 luma, 1 C1, 2 C2) in 2, the row in 14, a
  // zero bit, the sequence number in 4, a zero bit.
  const std::uint32_t header = reader.peek32() >> 8;
  reader.skip(sequence_header_bits);
  const auto plane = static_cast<int>((header >> 20) & 3);
  const auto found_row = static_cast<int>((header >> 6) & 0x3FFF);
  const auto found_sequence = static_cast<int>((header >> 1) & 0xF);
  if (plane != layer.component || found_row != row || found_sequence != sequence) {
    return what() + ": the sequence there is plane " + std::to_string(plane) + " row " +
           std::to_string(found_row) + " sequence " + std::to_string(found_sequence);
  }
  if (!add_coded_samples(reader, layer.table, out, layer.sequence_length)) {
    return what() + ": holds a bit pattern that is no code";
  }
  if (reader.overran()) return what() + ": cut short";
  return {};
}

}  // namespace

std::optional<ImagePacExtension> read_extension_info(std::span<const std::uint8_t> info,
                                                     Size luma_size, std::string& why) {
  if (info.size() < header_bytes) {
    why = "INFO.IC of " + std::to_string(info.size()) + " bytes is shorter than its " +
          std::to_string(header_bytes) + "-byte header";
    return std::nullopt;
  }
  ImagePacExtension extension;
  auto files = read_file_names(info, be32(info, names_field), why);
  if (!files) return std::nullopt;
  extension.files = std::move(*files);

  const std::uint32_t descriptions = be32(info, descriptions_field);
  if (!fits(descriptions, 2, info.size())) {
    why = "INFO.IC layer descriptions at " + hex(descriptions) + " lie outside its " +
          std::to_string(info.size()) + " bytes";
    return std::nullopt;
  }
  const std::uint32_t layer_count = be16(info, descriptions);
  if (layer_count != 1 && layer_count != 3) {
    why = "INFO.IC describes " + std::to_string(layer_count) + " layers, expected 1 or 3";
    return std::nullopt;
  }
  std::uint64_t at = std::uint64_t{descriptions} + 2;
  for (std::uint32_t i = 0; i < layer_count; ++i) {
    if (!fits(at, layer_fields_bytes, info.size())) {
      why = "INFO.IC layer description " + std::to_string(i) + " at " + hex(at) +
            " runs past its " + std::to_string(info.size()) + " bytes";
      return std::nullopt;
    }
    const auto record = static_cast<std::size_t>(at);
    const std::uint32_t record_length = be16(info, record);
    if (record_length < layer_fields_bytes) {
      why = "INFO.IC layer description " + std::to_string(i) + " claims " +
            std::to_string(record_length) + " bytes, at least " +
            std::to_string(layer_fields_bytes) + " needed";
      return std::nullopt;
    }
    auto layer = read_layer(info, record, static_cast<int>(i), luma_size, extension.files, why);
    if (!layer) return std::nullopt;
    extension.layers.push_back(std::move(*layer));
    at += record_length;
  }

  // The header repeats where the first layer's pointers and table are; two
  // answers that differ mean one of them is wrong.
  const std::size_t first_record = std::size_t{descriptions} + 2;
  const std::uint32_t first_pointers = be32(info, first_record + 14);
  const std::uint32_t first_table = be32(info, first_record + 18);
  if (be32(info, pointers_field) != first_pointers || be32(info, tables_field) != first_table) {
    why = "INFO.IC header places the first pointers at " + hex(be32(info, pointers_field)) +
          " and the first table at " + hex(be32(info, tables_field)) + ", the luma layer at " +
          hex(first_pointers) + " and " + hex(first_table);
    return std::nullopt;
  }
  return extension;
}

bool add_extension_deltas(const ImagePacExtension& extension,
                          std::span<const std::span<const std::uint8_t>> files, YccPlanes& planes,
                          std::string& why, int threads) {
  if (files.size() != extension.files.size()) {
    why = std::to_string(files.size()) + " extension files given, INFO.IC names " +
          std::to_string(extension.files.size());
    return false;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].size() < extension.files[i].size) {
      why = extension.files[i].name + " holds " + std::to_string(files[i].size()) +
            " bytes, INFO.IC says " + std::to_string(extension.files[i].size);
      return false;
    }
  }

  Plane* const targets[3] = {&planes.luma, &planes.chroma1, &planes.chroma2};
  for (const ExtensionLayer& layer : extension.layers) {
    Plane& plane = *targets[layer.component];
    if (plane.width != layer.width || plane.height != layer.height) {
      why = std::string(component_names[layer.component]) + " plane is " +
            std::to_string(plane.width) + "x" + std::to_string(plane.height) + ", the layer " +
            std::to_string(layer.width) + "x" + std::to_string(layer.height);
      return false;
    }
  }

  for (const ExtensionLayer& layer : extension.layers) {
    Plane& plane = *targets[layer.component];
    // Each piece keeps the first failure among its rows and the lowest
    // failing row is reported, as one thread working down the rows would
    // report it. A failure stops the work on every row below it (rows
    // further down cannot change the answer), never on a row above.
    std::vector<std::pair<int, std::string>> failures;
    std::mutex failures_lock;
    std::atomic<int> lowest_failure{std::numeric_limits<int>::max()};
    parallel_for(
        static_cast<std::size_t>(layer.height),
        [&](std::size_t begin, std::size_t end) {
          for (std::size_t y = begin; y < end; ++y) {
            const int row = static_cast<int>(y);
            if (row >= lowest_failure.load(std::memory_order_relaxed)) return;
            for (int s = 0; s < layer.sequences_per_row; ++s) {
              const SequencePointer& pointer =
                  layer.pointers[y * static_cast<std::size_t>(layer.sequences_per_row) +
                                 static_cast<std::size_t>(s)];
              const std::span<const std::uint8_t> file =
                  files[pointer.file].first(extension.files[pointer.file].size);
              std::string failure = add_sequence(
                  file, extension.files[pointer.file].name, layer, row, s,
                  plane.row(row) + static_cast<std::ptrdiff_t>(s) * layer.sequence_length);
              if (!failure.empty()) {
                int lowest = lowest_failure.load(std::memory_order_relaxed);
                while (row < lowest && !lowest_failure.compare_exchange_weak(lowest, row)) {
                }
                const std::lock_guard<std::mutex> hold(failures_lock);
                failures.emplace_back(row, std::move(failure));
                return;
              }
            }
          }
        },
        threads);
    if (!failures.empty()) {
      why = std::min_element(failures.begin(), failures.end())->second;
      return false;
    }
  }
  return true;
}

}  // namespace pixmera::photocd
