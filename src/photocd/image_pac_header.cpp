#include "photocd/image_pac_header.h"

#include <algorithm>
#include <string_view>

namespace pixmera::photocd {

namespace {

constexpr std::size_t signature_offset = 0x800;
constexpr std::string_view signature = "PCD_IPI";
// The attribute record of the first (Base/16) image; every level present
// carries the same record, and this one always exists.
constexpr std::size_t attribute_offset = 0xE02;
constexpr std::size_t after_four_base_offset = 0xE03;
constexpr std::size_t after_sixteen_base_offset = 0xE05;

std::uint32_t read_be16(std::span<const std::uint8_t> file, std::size_t offset) {
  return static_cast<std::uint32_t>(file[offset]) << 8 | file[offset + 1];
}

}  // namespace

std::optional<ImagePacHeader> read_image_pac_header(std::span<const std::uint8_t> file,
                                                    std::string& why) {
  if (file.size() < image_pac_header_bytes) {
    why = "file of " + std::to_string(file.size()) +
          " bytes is shorter than an Image Pac header (" + std::to_string(image_pac_header_bytes) +
          " bytes)";
    return std::nullopt;
  }
  if (!std::equal(signature.begin(), signature.end(), file.begin() + signature_offset)) {
    why = "no \"PCD_IPI\" signature at byte 0x800";
    return std::nullopt;
  }

  const std::uint8_t attribute = file[attribute_offset];
  ImagePacHeader header;
  header.quarter_turns = attribute & 3;
  header.has_extension = (attribute & 0x10) != 0;
  // Bits 2-3 hold 0 for Base, 1 for 4Base, 2 for 16Base; 3 is unassigned
  // and is read as 16Base so that the data itself decides.
  switch ((attribute >> 2) & 3) {
    case 0:
      header.highest_level = Level::base;
      break;
    case 1:
      header.highest_level = Level::four_base;
      break;
    default:
      header.highest_level = Level::sixteen_base;
      break;
  }
  header.sector_after_four_base = read_be16(file, after_four_base_offset);
  header.sector_after_sixteen_base = read_be16(file, after_sixteen_base_offset);
  return header;
}

}  // namespace pixmera::photocd
