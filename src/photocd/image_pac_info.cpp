#include "photocd/image_pac_info.h"

#include <algorithm>
#include <array>

namespace pixmera::photocd {

namespace {

constexpr std::size_t block = 0x800;
constexpr std::string_view signature = "PCD_IPI";

// Offsets within the block, and the lengths of the text fields.
struct TextField {
  std::size_t offset;
  std::size_t length;
  std::string ImagePacInfo::*member;
};
constexpr std::array<TextField, 8> text_fields{{
    {22, 20, &ImagePacInfo::product_type},
    {42, 20, &ImagePacInfo::scanner_vendor},
    {62, 16, &ImagePacInfo::scanner_product},
    {78, 4, &ImagePacInfo::scanner_firmware_version},
    {82, 8, &ImagePacInfo::scanner_firmware_date},
    {90, 20, &ImagePacInfo::scanner_serial_number},
    {112, 20, &ImagePacInfo::workstation_make},
    {165, 60, &ImagePacInfo::photo_finisher},
}};
constexpr std::size_t format_version_offset = 7;
constexpr std::size_t authoring_release_offset = 9;
constexpr std::size_t scan_time_offset = 13;
constexpr std::size_t modification_time_offset = 17;
constexpr std::size_t medium_offset = 21;
constexpr std::size_t pixel_size_offset = 110;
constexpr std::size_t scene_balance_signature_offset = 225;
constexpr std::string_view scene_balance_signature = "SBA";
constexpr std::size_t scene_balance_revision_offset = 228;
constexpr std::size_t scene_balance_command_offset = 230;
constexpr std::size_t film_term_offset = 325;
constexpr std::size_t copyright_status_offset = 331;
constexpr std::size_t copyright_file_offset = 332;
constexpr std::size_t copyright_file_length = 12;

constexpr std::uint8_t copyright_restricted = 1;
constexpr std::uint8_t copyright_unspecified = 0xFF;
constexpr std::uint8_t no_version = 0xFF;

constexpr std::array<std::string_view, 9> media{
    "colour negative",           "colour reversal",
    "colour hard copy",          "thermal hard copy",
    "black and white negative",  "black and white reversal",
    "black and white hard copy", "internegative",
    "synthetic image",
};
constexpr std::array<std::string_view, 4> scene_balance_commands{
    "neutral and colour balance on",
    "neutral and colour balance off",
    "neutral balance on, colour balance off",
    "neutral balance off, colour balance on",
};

// "major.minor" from two bytes; 255 255 says the field is not used.
std::string version(std::uint8_t major, std::uint8_t minor) {
  if (major == no_version || minor == no_version || major > 99 || minor > 99) return {};
  return std::to_string(major) + "." + std::to_string(minor);
}

// Two bytes of binary-coded decimal, "ab.cd" without a leading zero; empty
// when a nibble is not a digit or the size is zero.
std::string bcd_size(std::uint8_t whole, std::uint8_t fraction) {
  const std::array<int, 4> digits{whole >> 4, whole & 15, fraction >> 4, fraction & 15};
  if (std::any_of(digits.begin(), digits.end(), [](int d) { return d > 9; })) return {};
  if (whole == 0 && fraction == 0) return {};
  std::string text;
  if (digits[0] != 0) text += static_cast<char>('0' + digits[0]);
  text += static_cast<char>('0' + digits[1]);
  text += '.';
  text += static_cast<char>('0' + digits[2]);
  text += static_cast<char>('0' + digits[3]);
  return text;
}

std::optional<std::int64_t> plausible_time(std::uint32_t seconds, std::int64_t now) {
  const auto time = static_cast<std::int64_t>(seconds);
  if (time < earliest_scan_time || time > now) return std::nullopt;
  return time;
}

}  // namespace

std::string printable_field(std::span<const std::uint8_t> field) {
  std::string text;
  for (const std::uint8_t byte : field) {
    if (byte < 0x20 || byte == 0x7F) continue;
    if (byte > 0x7F) return {};
    text += static_cast<char>(byte);
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::optional<ImagePacInfo> read_image_pac_info(std::span<const std::uint8_t> file,
                                                std::int64_t now, std::string& why) {
  if (file.size() < image_pac_info_bytes) {
    why = "file of " + std::to_string(file.size()) +
          " bytes is shorter than an Image Pac information block (" +
          std::to_string(image_pac_info_bytes) + " bytes)";
    return std::nullopt;
  }
  const std::span<const std::uint8_t> ipi = file.subspan(block, image_pac_info_bytes - block);
  if (!std::equal(signature.begin(), signature.end(), ipi.begin())) {
    why = "no \"PCD_IPI\" signature at byte 0x800";
    return std::nullopt;
  }
  const auto be16 = [&ipi](std::size_t at) {
    return static_cast<std::uint16_t>(ipi[at] << 8 | ipi[at + 1]);
  };
  const auto be32 = [&ipi](std::size_t at) {
    return static_cast<std::uint32_t>(ipi[at]) << 24 |
           static_cast<std::uint32_t>(ipi[at + 1]) << 16 |
           static_cast<std::uint32_t>(ipi[at + 2]) << 8 | ipi[at + 3];
  };

  ImagePacInfo info;
  info.format_version = version(ipi[format_version_offset], ipi[format_version_offset + 1]);
  info.authoring_software_release =
      version(ipi[authoring_release_offset], ipi[authoring_release_offset + 1]);
  info.scan_time = plausible_time(be32(scan_time_offset), now);
  info.modification_time = plausible_time(be32(modification_time_offset), now);
  if (ipi[medium_offset] < media.size()) info.medium = ipi[medium_offset];
  for (const TextField& field : text_fields) {
    info.*field.member = printable_field(ipi.subspan(field.offset, field.length));
  }
  info.scanner_pixel_size = bcd_size(ipi[pixel_size_offset], ipi[pixel_size_offset + 1]);

  if (std::equal(scene_balance_signature.begin(), scene_balance_signature.end(),
                 ipi.begin() + scene_balance_signature_offset)) {
    info.scene_balance_revision =
        version(ipi[scene_balance_revision_offset], ipi[scene_balance_revision_offset + 1]);
    if (ipi[scene_balance_command_offset] < scene_balance_commands.size()) {
      info.scene_balance_command = ipi[scene_balance_command_offset];
    }
    const std::uint16_t film = be16(film_term_offset);
    if (film != 0 && film != 0xFFFF) info.film_term = film;
  }

  const std::uint8_t copyright = ipi[copyright_status_offset];
  if (copyright == copyright_restricted) {
    info.copyright = CopyrightStatus::restrictions_apply;
    info.copyright_file =
        printable_field(ipi.subspan(copyright_file_offset, copyright_file_length));
  } else if (copyright == copyright_unspecified) {
    info.copyright = CopyrightStatus::not_specified;
  }
  return info;
}

std::string_view medium_name(std::uint8_t medium) {
  return medium < media.size() ? media[medium] : std::string_view{};
}

std::string_view scene_balance_command_name(std::uint8_t command) {
  return command < scene_balance_commands.size() ? scene_balance_commands[command]
                                                 : std::string_view{};
}

}  // namespace pixmera::photocd
