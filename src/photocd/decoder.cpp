#include "photocd/decoder.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "photocd/coded_level.h"
#include "photocd/huffman_table.h"
#include "photocd/image_pac_header.h"
#include "photocd/orientation.h"
#include "photocd/parallel.h"
#include "photocd/plain_level.h"
#include "photocd/upsample.h"

namespace pixmera::photocd {

namespace {

// 4Base: attribute sector 384, row pointers 385-387 (not needed: the rows
// are found by their syncs), Huffman table 388, coded rows from 389.
constexpr std::size_t four_base_table_sector = 388;
constexpr std::size_t four_base_rows_sector = 389;
// 16Base, counted from its attribute sector: Huffman tables in two sectors
// from +12, coded rows from +14.
constexpr std::size_t sixteen_base_table_offset = 12;
constexpr std::size_t sixteen_base_table_sectors = 2;
constexpr std::size_t sixteen_base_rows_offset = 14;

std::size_t sectors_in(std::span<const std::uint8_t> file) {
  return (file.size() + sector_bytes - 1) / sector_bytes;
}

std::span<const std::uint8_t> sector_range(std::span<const std::uint8_t> file, std::size_t first,
                                           std::size_t end) {
  const std::size_t begin_byte = std::min(first * sector_bytes, file.size());
  const std::size_t end_byte = std::min(end * sector_bytes, file.size());
  return file.subspan(begin_byte, std::max(begin_byte, end_byte) - begin_byte);
}

// Up to three tables back to back. The first (luma) is required; a chroma
// table that does not parse is left out, and only a chroma row that needs it
// fails the level.
struct LevelTables {
  std::vector<HuffmanTable> tables;
  CodedLevelTables view;
};

std::optional<LevelTables> read_tables(std::span<const std::uint8_t> bytes, std::string& why) {
  LevelTables result;
  result.tables.reserve(3);
  std::size_t offset = 0;
  for (int i = 0; i < 3; ++i) {
    std::size_t consumed = 0;
    std::string table_why;
    auto table =
        HuffmanTable::parse(bytes.subspan(std::min(offset, bytes.size())), consumed, table_why);
    if (!table) {
      if (i == 0) {
        why = "luma " + table_why;
        return std::nullopt;
      }
      break;
    }
    result.tables.push_back(std::move(*table));
    offset += consumed;
  }
  for (std::size_t i = 0; i < result.tables.size(); ++i) result.view.plane[i] = &result.tables[i];
  return result;
}

struct Failure {
  DecodeFailure kind;
  std::string why;
};

// A level's prediction: every plane of the level below upsampled.
std::function<void(YccPlanes&)> predict_from(const YccPlanes& below, int threads) {
  return [&below, threads](YccPlanes& planes) { planes = upsample(below, threads); };
}

// Turns Base into 4Base: the luma prediction is Base luma upsampled, chroma
// becomes Base chroma upsampled (half of 4Base's size), then the coded rows
// add their deltas. `sixteen_base_sector` receives the sector the 16Base
// data starts in, as far as the 4Base data tells.
std::optional<Failure> refine_to_four_base(std::span<const std::uint8_t> file,
                                           const ImagePacHeader& header, YccPlanes& planes,
                                           std::size_t& sixteen_base_sector, int threads) {
  std::string why;
  if (file.size() <= four_base_rows_sector * sector_bytes) {
    return Failure{DecodeFailure::level_damaged,
                   "4Base data missing: file ends at byte " + std::to_string(file.size())};
  }
  auto tables = read_tables(sector_range(file, four_base_table_sector, four_base_rows_sector), why);
  if (!tables) return Failure{DecodeFailure::level_damaged, "4Base " + why};

  // The rows end where the header says 16Base begins, when it says so
  // plausibly; a 16Base row is never mistaken for a 4Base one then.
  std::size_t rows_end = sectors_in(file);
  if (header.sector_after_four_base > four_base_rows_sector) {
    rows_end = std::min<std::size_t>(rows_end, header.sector_after_four_base);
  }
  const auto rows = sector_range(file, four_base_rows_sector, rows_end);
  CodedLevelEnd end;
  const YccPlanes base = std::move(planes);
  if (!add_coded_rows(rows, tables->view, predict_from(base, threads), planes, end, why, threads)) {
    return Failure{DecodeFailure::level_damaged, "4Base " + why};
  }

  // Prefer the header's word for where 16Base starts when its rows would lie
  // inside the file; otherwise take the sector after the one holding the
  // last byte of the 4Base terminator.
  const std::size_t claimed = header.sector_after_four_base;
  if (claimed > four_base_rows_sector &&
      (claimed + sixteen_base_rows_offset) * sector_bytes < file.size()) {
    sixteen_base_sector = claimed;
  } else if (end.terminator_end != 0) {
    sixteen_base_sector = four_base_rows_sector + (end.terminator_end - 1) / sector_bytes + 1;
  } else {
    sixteen_base_sector = 0;
  }
  return std::nullopt;
}

// Turns 4Base into 16Base: luma and chroma predicted by upsampling 4Base's,
// then luma and chroma deltas added.
std::optional<Failure> refine_to_sixteen_base(std::span<const std::uint8_t> file,
                                              const ImagePacHeader& header, YccPlanes& planes,
                                              std::size_t first_sector, int threads) {
  if (first_sector == 0) {
    return Failure{DecodeFailure::level_damaged,
                   "16Base start unknown: no 4Base terminator and no header field"};
  }
  const std::size_t rows_sector = first_sector + sixteen_base_rows_offset;
  if (file.size() <= rows_sector * sector_bytes) {
    return Failure{DecodeFailure::level_damaged,
                   "16Base data missing: rows would start at sector " +
                       std::to_string(rows_sector) + ", the file ends at byte " +
                       std::to_string(file.size())};
  }
  std::string why;
  const std::size_t table_sector = first_sector + sixteen_base_table_offset;
  auto tables =
      read_tables(sector_range(file, table_sector, table_sector + sixteen_base_table_sectors), why);
  if (!tables) return Failure{DecodeFailure::level_damaged, "16Base " + why};

  std::size_t rows_end = sectors_in(file);
  if (header.sector_after_sixteen_base > rows_sector) {
    rows_end = std::min<std::size_t>(rows_end, header.sector_after_sixteen_base);
  }
  CodedLevelEnd end;
  const YccPlanes four_base = std::move(planes);
  if (!add_coded_rows(sector_range(file, rows_sector, rows_end), tables->view,
                      predict_from(four_base, threads), planes, end, why, threads)) {
    return Failure{DecodeFailure::level_damaged, "16Base " + why};
  }
  return std::nullopt;
}

// Turns 16Base into 64Base: every plane upsampled, then the extension's
// luma and chroma deltas added.
std::optional<Failure> refine_to_sixty_four_base(const ExtensionData& extension, YccPlanes& planes,
                                                 int threads) {
  planes = upsample(planes, threads);
  std::string why;
  if (!add_extension_deltas(extension.description, extension.files, planes, why, threads)) {
    return Failure{DecodeFailure::level_damaged, "64Base " + why};
  }
  return std::nullopt;
}

}  // namespace

DecodeFailure check_level_request(const ImagePacHeader& header, Level level, std::string& why) {
  if (level == Level::sixty_four_base && !header.has_extension) {
    why = "64Base needs an Image Pac extension, and the header's extension bit is clear";
    return DecodeFailure::level_absent;
  }
  const Level stored = std::min(level, Level::sixteen_base);
  if (stored > header.highest_level) {
    why = "the file holds levels up to " + std::string(level_name(header.highest_level)) +
          ", not " + std::string(level_name(stored));
    return DecodeFailure::level_absent;
  }
  return DecodeFailure::none;
}

DecodedPlanes decode_image_pac_planes(std::span<const std::uint8_t> file, Level level,
                                      const ExtensionData* extension, int threads) {
  DecodedPlanes result;
  auto fail = [&result](DecodeFailure kind, std::string why) {
    result.failure = kind;
    result.why = std::move(why);
    result.planes = {};
    return std::move(result);
  };

  std::string why;
  const auto header = read_image_pac_header(file, why);
  if (!header) return fail(DecodeFailure::not_an_image_pac, why);
  result.quarter_turns = header->quarter_turns;
  if (const DecodeFailure refused = check_level_request(*header, level, why);
      refused != DecodeFailure::none) {
    return fail(refused, why);
  }
  if (level == Level::sixty_four_base && extension == nullptr) {
    return fail(DecodeFailure::level_absent,
                "64Base lies in the Image Pac extension, and none was found");
  }

  const Level plain = std::min(level, Level::base);
  auto planes = read_plain_level(file, plain, why);
  if (!planes) return fail(DecodeFailure::level_damaged, why);
  result.planes = std::move(*planes);
  if (level <= Level::base) return result;

  std::size_t sixteen_base_sector = 0;
  if (auto failure =
          refine_to_four_base(file, *header, result.planes, sixteen_base_sector, threads)) {
    return fail(failure->kind, failure->why);
  }
  if (level == Level::four_base) return result;

  if (auto failure =
          refine_to_sixteen_base(file, *header, result.planes, sixteen_base_sector, threads)) {
    return fail(failure->kind, failure->why);
  }
  if (level == Level::sixteen_base) return result;

  if (auto failure = refine_to_sixty_four_base(*extension, result.planes, threads)) {
    return fail(failure->kind, failure->why);
  }
  return result;
}

DecodeResult image_from_planes(DecodedPlanes planes, ChannelOrder order, int threads) {
  DecodeResult result;
  if (!planes) {
    result.failure = planes.failure;
    result.why = std::move(planes.why);
    return result;
  }
  const Size size = upright_size(planes.planes, planes.quarter_turns);
  result.image = RgbImage(size.width, size.height, order);
  fill_upright(planes.planes, planes.quarter_turns,
               order == ChannelOrder::rgb ? PixelForm::rgb24 : PixelForm::bgr24,
               result.image.pixels.data(), threads);
  return result;
}

DecodeResult decode_image_pac(std::span<const std::uint8_t> file, Level level, ChannelOrder order,
                              const ExtensionData* extension, int threads) {
  return image_from_planes(decode_image_pac_planes(file, level, extension, threads), order,
                           threads);
}

DeepDecodeResult deep_image_from_planes(DecodedPlanes planes, int threads) {
  DeepDecodeResult result;
  if (!planes) {
    result.failure = planes.failure;
    result.why = std::move(planes.why);
    return result;
  }
  const Size size = upright_size(planes.planes, planes.quarter_turns);
  result.image = Rgb48Image(size.width, size.height);
  fill_upright(planes.planes, planes.quarter_turns, PixelForm::rgb48, result.image.pixels.data(),
               threads);
  return result;
}

DeepDecodeResult decode_image_pac_48(std::span<const std::uint8_t> file, Level level,
                                     const ExtensionData* extension, int threads) {
  return deep_image_from_planes(decode_image_pac_planes(file, level, extension, threads), threads);
}

}  // namespace pixmera::photocd
