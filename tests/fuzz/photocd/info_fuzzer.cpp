// The Image Pac information block reader on any bytes: the input follows
// the "PCD_IPI" signature, so every run reaches the fields. Whatever the
// bytes, every text that comes out is printable ASCII without spaces at its
// ends, every time lies between 1990 and the reader's "now", every code
// inside its list; anything else aborts the run.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "photocd/image_pac_info.h"

namespace {

using pixmera::photocd::ImagePacInfo;

constexpr std::int64_t kNow = 1796083200;  // 2026-12-01

void check_text(const std::string& text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) std::abort();
  }
  if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A short input is a block cut short; a long one is read no further than
  // the block.
  std::vector<std::uint8_t> file(0x800, 0xFF);
  const std::string signature = "PCD_IPI";
  file.insert(file.end(), signature.begin(), signature.end());
  file.insert(file.end(), data, data + std::min<std::size_t>(size, 0x1000));
  std::string why;
  const auto info = pixmera::photocd::read_image_pac_info(file, kNow, why);
  if (file.size() < pixmera::photocd::image_pac_info_bytes) {
    if (info || why.empty()) std::abort();
    return 0;
  }
  if (!info) std::abort();
  for (const std::string* text :
       {&info->format_version, &info->authoring_software_release, &info->product_type,
        &info->scanner_vendor, &info->scanner_product, &info->scanner_firmware_version,
        &info->scanner_firmware_date, &info->scanner_serial_number, &info->scanner_pixel_size,
        &info->workstation_make, &info->photo_finisher, &info->scene_balance_revision,
        &info->copyright_file}) {
    check_text(*text);
  }
  for (const auto& time : {info->scan_time, info->modification_time}) {
    if (time && (*time < pixmera::photocd::earliest_scan_time || *time > kNow)) std::abort();
  }
  if (info->medium && pixmera::photocd::medium_name(*info->medium).empty()) std::abort();
  if (info->scene_balance_command &&
      pixmera::photocd::scene_balance_command_name(*info->scene_balance_command).empty()) {
    std::abort();
  }
  if (!info->copyright_file.empty() &&
      info->copyright != pixmera::photocd::CopyrightStatus::restrictions_apply) {
    std::abort();
  }
  return 0;
}
