// The information block reader against a block the fixtures' generator
// filled in, and against blocks damaged field by field and at random.
#include "photocd/image_pac_info.h"

#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace pixmera::photocd {
namespace {

using testing::pcd_fixture;
using testing::read_bytes;

// 2026-12-01, after every time the fixtures hold.
constexpr std::int64_t kNow = 1796083200;

std::vector<std::uint8_t> scan_record_head() {
  auto bytes = read_bytes(pcd_fixture("scan_record.pcd"));
  bytes.resize(image_pac_info_bytes);
  return bytes;
}

void put(std::vector<std::uint8_t>& head, std::size_t offset, std::string_view text) {
  std::copy(text.begin(), text.end(), head.begin() + 0x800 + static_cast<std::ptrdiff_t>(offset));
}

TEST(ImagePacInfo, ReadsEveryFieldTheGeneratorWrote) {
  std::string why;
  const auto info = read_image_pac_info(scan_record_head(), kNow, why);
  ASSERT_TRUE(info) << why;
  EXPECT_EQ(info->format_version, "1.0");
  EXPECT_EQ(info->authoring_software_release, "1.0");
  EXPECT_EQ(info->scan_time, 769170600);  // 1994-05-17 10:30:00 UTC
  EXPECT_EQ(info->modification_time, 769257000);
  EXPECT_EQ(info->medium, 0);
  EXPECT_EQ(medium_name(*info->medium), "colour negative");
  EXPECT_EQ(info->product_type, "PHOTO CD");
  EXPECT_EQ(info->scanner_vendor, "KODAK");
  EXPECT_EQ(info->scanner_product, "FilmScanner 2000");
  EXPECT_EQ(info->scanner_firmware_version, "2.15");
  EXPECT_EQ(info->scanner_firmware_date, "19940301");
  EXPECT_EQ(info->scanner_serial_number, "F2K-0042");
  EXPECT_EQ(info->scanner_pixel_size, "11.70");
  EXPECT_EQ(info->workstation_make, "KODAK PIW 4200");
  EXPECT_EQ(info->photo_finisher, "Varnelo Photo Lab & Studio");
  EXPECT_EQ(info->scene_balance_revision, "1.0");
  EXPECT_EQ(info->scene_balance_command, 0);
  EXPECT_EQ(info->film_term, 52);
  EXPECT_EQ(info->copyright, CopyrightStatus::restrictions_apply);
  EXPECT_EQ(info->copyright_file, "COPYRGHT.TXT");

  // A fixture made with the generator's defaults: no scene balance data, no
  // copyright named.
  auto plain = read_bytes(pcd_fixture("base_only.pcd"));
  plain.resize(image_pac_info_bytes);
  const auto defaults = read_image_pac_info(plain, kNow, why);
  ASSERT_TRUE(defaults) << why;
  EXPECT_EQ(defaults->medium, 8);
  EXPECT_EQ(defaults->scan_time, 820454400);  // 1996-01-01
  EXPECT_FALSE(defaults->film_term);
  EXPECT_EQ(defaults->copyright, CopyrightStatus::not_specified);
  EXPECT_EQ(defaults->copyright_file, "");
}

TEST(ImagePacInfo, FieldsThatMakeNoSenseAreLeftOut) {
  std::string why;
  auto head = scan_record_head();
  put(head, 13, std::string("\x25\x9E\x9D\x7F", 4));  // 1989-12-31 23:59:59
  put(head, 17, std::string("\x6B\x0E\x0E\x00", 4));  // 2026-12-01 00:00:00: now, still taken
  head[0x800 + 21] = 9;                               // no such medium
  put(head, 42,
      std::string("\x01K\tO D\x7F"
                  "AK\0\0   ",
                  13));
  put(head, 62, "Scanner \xE9t\xE9     ");  // not ASCII
  put(head, 110, "\x1A\x70");               // not decimal
  put(head, 165, std::string(60, ' '));
  head[0x800 + 230] = 4;  // no such command
  head[0x800 + 331] = 7;  // no such status
  const auto info = read_image_pac_info(head, kNow, why);
  ASSERT_TRUE(info) << why;
  EXPECT_FALSE(info->scan_time);
  EXPECT_EQ(info->modification_time, kNow);
  EXPECT_FALSE(info->medium);
  EXPECT_EQ(info->scanner_vendor, "KO DAK");
  EXPECT_EQ(info->scanner_product, "");
  EXPECT_EQ(info->scanner_pixel_size, "");
  EXPECT_EQ(info->photo_finisher, "");
  EXPECT_FALSE(info->scene_balance_command);
  EXPECT_EQ(info->film_term, 52);
  EXPECT_FALSE(info->copyright);
  EXPECT_EQ(info->copyright_file, "");

  // Without the "SBA" mark the scene balance bytes are not read at all.
  put(head, 225, "XBA");
  EXPECT_FALSE(read_image_pac_info(head, kNow, why)->film_term);
  // A time one second after now, and one unset.
  put(head, 17, std::string("\x6B\x0E\x0E\x01", 4));
  EXPECT_FALSE(read_image_pac_info(head, kNow, why)->modification_time);
  put(head, 13, "\xFF\xFF\xFF\xFF");
  EXPECT_FALSE(read_image_pac_info(head, kNow, why)->scan_time);

  // No block at all: too short, or no signature.
  head.resize(image_pac_info_bytes - 1);
  EXPECT_FALSE(read_image_pac_info(head, kNow, why));
  EXPECT_NE(why.find("shorter"), std::string::npos) << why;
  auto unsigned_head = scan_record_head();
  unsigned_head[0x801] = 'X';
  EXPECT_FALSE(read_image_pac_info(unsigned_head, kNow, why));
  EXPECT_NE(why.find("PCD_IPI"), std::string::npos) << why;
}

// Random blocks behind a valid signature: every text that comes out is
// printable and trimmed, every time inside 1990..now.
TEST(ImagePacInfo, RandomBlocksGivePrintableTextOnly) {
  std::mt19937 random(14);
  std::vector<std::uint8_t> head(image_pac_info_bytes);
  put(head, 0, "PCD_IPI");
  for (int round = 0; round < 2000; ++round) {
    for (std::size_t i = 0x807; i < head.size(); ++i) head[i] = static_cast<std::uint8_t>(random());
    if (round % 2 == 0) put(head, 225, "SBA");
    std::string why;
    const auto info = read_image_pac_info(head, kNow, why);
    ASSERT_TRUE(info);
    for (const std::string* text :
         {&info->product_type, &info->scanner_vendor, &info->scanner_product,
          &info->scanner_firmware_version, &info->scanner_firmware_date,
          &info->scanner_serial_number, &info->workstation_make, &info->photo_finisher,
          &info->copyright_file, &info->scanner_pixel_size}) {
      for (const char c : *text) ASSERT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(c);
      if (!text->empty()) {
        ASSERT_NE(text->front(), ' ');
        ASSERT_NE(text->back(), ' ');
      }
    }
    for (const auto& time : {info->scan_time, info->modification_time}) {
      if (time) {
        ASSERT_TRUE(*time >= earliest_scan_time && *time <= kNow);
      }
    }
    if (info->medium) {
      ASSERT_FALSE(medium_name(*info->medium).empty());
    }
  }
}

}  // namespace
}  // namespace pixmera::photocd
