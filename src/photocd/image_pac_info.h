// The Image Pac information block, the rest of the "PCD_IPI" sector: when
// and on what the picture was scanned, what it was scanned from, and who may
// use it. Every field is checked: one that makes no sense (a time before
// 1990 or in the future, a code outside its list, text that is not
// printable) is left empty rather than passed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pixmera::photocd {

// The bytes read_image_pac_info needs from the start of the file: the block
// runs from 0x800 to the copyright file name, which ends at 0x958.
inline constexpr std::size_t image_pac_info_bytes = 0x958;

enum class CopyrightStatus : std::uint8_t { restrictions_apply, not_specified };

struct ImagePacInfo {
  // Text fields: printable ASCII, trimmed; empty when the block gives none.
  std::string format_version;              // "1.0"
  std::string authoring_software_release;  // "1.0"
  std::optional<std::int64_t> scan_time;   // seconds since 1970-01-01 UTC
  std::optional<std::int64_t> modification_time;
  std::optional<std::uint8_t> medium;  // 0..8, see medium_name
  std::string product_type;
  std::string scanner_vendor;
  std::string scanner_product;
  std::string scanner_firmware_version;
  std::string scanner_firmware_date;
  std::string scanner_serial_number;
  std::string scanner_pixel_size;  // micrometres, "11.70"
  std::string workstation_make;
  std::string photo_finisher;
  // Scene balance data, present only when the block carries it.
  std::string scene_balance_revision;                 // "1.0"
  std::optional<std::uint8_t> scene_balance_command;  // 0..3, see scene_balance_command_name
  std::optional<std::uint16_t> film_term;             // the film the balance was made for
  std::optional<CopyrightStatus> copyright;
  std::string copyright_file;  // only with restrictions_apply
};

// The earliest scan time taken as real: 1990-01-01 00:00:00 UTC, before the
// first Photo CD scanners.
inline constexpr std::int64_t earliest_scan_time = 631152000;

// Reads the block from the start of an Image Pac (at least
// image_pac_info_bytes of it). `now` (seconds since 1970) bounds the times.
// Nullopt, with the reason in `why`, when the bytes hold no "PCD_IPI" block.
std::optional<ImagePacInfo> read_image_pac_info(std::span<const std::uint8_t> file,
                                                std::int64_t now, std::string& why);

// "colour negative", ..., "synthetic image"; empty for a code outside 0..8.
std::string_view medium_name(std::uint8_t medium);
// "neutral and colour balance on", ...; empty for a code outside 0..3.
std::string_view scene_balance_command_name(std::uint8_t command);

// The text of a fixed-length field: control characters dropped, spaces
// trimmed at both ends; empty when a byte outside ASCII remains, since the
// field is then not text a reader could show.
std::string printable_field(std::span<const std::uint8_t> field);

}  // namespace pixmera::photocd
