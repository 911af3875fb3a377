// The decoder on a real Image Pac with single, deliberate faults: each case
// changes the bytes one particular check exists for.
#include "photocd/decoder.h"

#include <gtest/gtest.h>

#include <functional>

#include "photocd/image_pac_header.h"
#include "photocd/orientation.h"
#include "photocd/ppm_writer.h"
#include "photocd/tga_writer.h"
#include "photocd/ycc_to_rgb.h"
#include "test_support.h"

namespace pixmera::photocd {
namespace {

const std::vector<std::uint8_t>& kodak_16base() {
  static const auto bytes = testing::read_bytes(testing::pcd_fixture("kodak_16base.pcd"));
  return bytes;
}

// Where 16Base's tables and rows start in the fixture, from its header.
std::size_t sixteen_base_offset(std::size_t sectors_in) {
  const auto& file = kodak_16base();
  return ((std::size_t{file[0xE03]} << 8 | file[0xE04]) + sectors_in) * sector_bytes;
}

TEST(Decoder, SixteenBaseIsFoundWithoutTheHeaderFields) {
  const DecodedPlanes intact = decode_image_pac_planes(kodak_16base(), Level::sixteen_base);
  ASSERT_TRUE(intact) << intact.why;
  for (std::uint8_t fill : {0x00, 0xFF}) {
    auto bytes = kodak_16base();
    std::fill(bytes.begin() + 0xE03, bytes.begin() + 0xE07, fill);
    const DecodedPlanes found = decode_image_pac_planes(bytes, Level::sixteen_base);
    ASSERT_TRUE(found) << "fields filled with " << int{fill} << ": " << found.why;
    EXPECT_EQ(found.planes.luma.samples, intact.planes.luma.samples);
    EXPECT_EQ(found.planes.chroma1.samples, intact.planes.chroma1.samples);
  }
}

TEST(Decoder, EachFaultFailsItsLevelAndKeepsTheOnesBelow) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    int last_good;  // highest index that still decodes
    DecodeFailure failure;
    const char* why;  // part of the message
  };
  const std::vector<Case> cases{
      {"4Base luma code 17 bits long", [](auto& b) { b[388 * sector_bytes + 1] = 16; }, 3,
       DecodeFailure::level_damaged, "17 bits"},
      {"16Base luma table count runs into the rows",
       [](auto& b) { b[sixteen_base_offset(12)] = 0xFF; }, 4, DecodeFailure::level_damaged,
       "Huffman"},
      {"first 16Base sync broken", [](auto& b) { b[sixteen_base_offset(14) + 1] = 0x00; }, 4,
       DecodeFailure::level_damaged, "luma rows present"},
      {"first 16Base row renumbered as the second",
       [](auto& b) { b[sixteen_base_offset(14) + 4] = 0x02; }, 4, DecodeFailure::level_damaged,
       "twice"},
      {"attribute byte says 4Base", [](auto& b) { b[0xE02] = 0x04; }, 4,
       DecodeFailure::level_absent, "4Base"},
      {"attribute byte says Base", [](auto& b) { b[0xE02] = 0x00; }, 3, DecodeFailure::level_absent,
       "Base"},
      {"signature", [](auto& b) { b[0x806] = 'X'; }, -1, DecodeFailure::not_an_image_pac,
       "PCD_IPI"},
  };
  ASSERT_EQ(kodak_16base()[sixteen_base_offset(14)], 0xFF) << "the rows start with a sync";
  for (const Case& c : cases) {
    auto bytes = kodak_16base();
    c.damage(bytes);
    for (int index = 0; index <= 5; ++index) {
      const DecodeResult result =
          decode_image_pac(bytes, level_for_index(static_cast<std::uint64_t>(index)));
      EXPECT_EQ(static_cast<bool>(result), index <= c.last_good) << c.what << ", index " << index;
      if (index == c.last_good + 1) {
        EXPECT_EQ(result.failure, c.failure) << c.what;
        EXPECT_NE(result.why.find(c.why), std::string::npos) << c.what << ": " << result.why;
        EXPECT_TRUE(result.image.pixels.empty()) << c.what;
      }
    }
  }
}

TEST(Decoder, CutsInsideALevelFailItAndKeepTheLevelsBelow) {
  const std::vector<std::pair<std::size_t, int>> cuts{
      {45055, -1},                           // one byte short of Base/16
      {45056, 1},                            // Base/16 complete
      {194559, 1},                           // one byte short of Base/4
      {786431, 2},                           // one byte short of Base
      {389 * sector_bytes + 5000, 3},        // inside the 4Base rows
      {sixteen_base_offset(13), 4},          // 16Base tables, no rows
      {sixteen_base_offset(14) + 70000, 4},  // inside the 16Base rows
  };
  for (const auto& [length, last_good] : cuts) {
    const std::span<const std::uint8_t> cut(kodak_16base().data(), length);
    for (int index = 0; index <= 5; ++index) {
      const DecodeResult result =
          decode_image_pac(cut, level_for_index(static_cast<std::uint64_t>(index)));
      EXPECT_EQ(static_cast<bool>(result), index <= last_good)
          << "cut at " << length << ", index " << index;
    }
  }
}

TEST(Decoder, RotationFieldTurnsTheOutput) {
  const DecodeResult stored = decode_image_pac(kodak_16base(), Level::base_over_4);
  ASSERT_TRUE(stored);
  for (int field = 1; field <= 3; ++field) {
    auto bytes = kodak_16base();
    bytes[0xE02] = static_cast<std::uint8_t>(0x08 | field);
    const DecodeResult turned = decode_image_pac(bytes, Level::base_over_4);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned.image.width, field == 2 ? 384 : 256) << field;
    EXPECT_EQ(turned.image.pixels, turn_counter_clockwise(stored.image, field).pixels) << field;
  }
}

TEST(Decoder, IndexesMapToLevels) {
  const std::vector<std::pair<std::optional<std::uint64_t>, Level>> cases{
      {0, Level::base_over_16}, {1, Level::base_over_16},    {2, Level::base_over_4},
      {3, Level::base},         {std::nullopt, Level::base}, {4, Level::four_base},
      {5, Level::sixteen_base}, {6, Level::sixty_four_base}, {UINT64_MAX, Level::sixty_four_base},
  };
  for (const auto& [index, level] : cases)
    EXPECT_EQ(level_for_index(index), level) << index.value_or(999);
  // 64Base needs the extension bit, and then the extension itself.
  const DecodeResult without_bit = decode_image_pac(kodak_16base(), Level::sixty_four_base);
  EXPECT_EQ(without_bit.failure, DecodeFailure::level_absent);
  EXPECT_NE(without_bit.why.find("extension bit is clear"), std::string::npos) << without_bit.why;
  auto pro = kodak_16base();
  pro[0xE02] |= 0x10;
  const DecodeResult without_files = decode_image_pac(pro, Level::sixty_four_base);
  EXPECT_EQ(without_files.failure, DecodeFailure::level_absent);
  EXPECT_NE(without_files.why.find("none was found"), std::string::npos) << without_files.why;
}

// The converter's two files, a 24-bit TGA and a 16-bit PPM, of one level.
struct Outputs {
  DecodeFailure failure = DecodeFailure::none;
  std::string why;
  std::vector<std::uint8_t> tga;
  std::vector<std::uint8_t> ppm;
};

Outputs outputs(std::span<const std::uint8_t> file, Level level, int threads) {
  const DecodedPlanes planes = decode_image_pac_planes(file, level, nullptr, threads);
  Outputs out{planes.failure, planes.why, {}, {}};
  if (!planes) return out;
  const auto into = [](std::vector<std::uint8_t>& bytes) {
    return [&bytes](std::span<const std::uint8_t> piece) {
      bytes.insert(bytes.end(), piece.begin(), piece.end());
      return true;
    };
  };
  EXPECT_TRUE(write_tga(planes.planes, planes.quarter_turns, into(out.tga), threads));
  EXPECT_TRUE(write_ppm48(planes.planes, planes.quarter_turns, into(out.ppm), threads));
  return out;
}

// Every level of a file in all four turns (16Base, the slowest, in two of
// them), written band by band on one, two and three threads: the same bytes
// each time, and the bytes of the whole picture converted first and turned
// after.
TEST(Decoder, SameFilesWhateverTheThreadCountInEveryTurn) {
  for (int field = 0; field <= 3; ++field) {
    auto bytes = kodak_16base();
    bytes[0xE02] = static_cast<std::uint8_t>(0x08 | field);
    for (int index = 0; index <= (field == 0 || field == 3 ? 5 : 4); ++index) {
      const Level level = level_for_index(static_cast<std::uint64_t>(index));
      const std::string where =
          "field " + std::to_string(field) + ", index " + std::to_string(index);
      const Outputs one = outputs(bytes, level, 1);
      ASSERT_EQ(one.failure, DecodeFailure::none) << where << ": " << one.why;
      for (int threads : {2, 3}) {
        const Outputs several = outputs(bytes, level, threads);
        EXPECT_TRUE(several.tga == one.tga) << where << ", " << threads << " threads";
        EXPECT_TRUE(several.ppm == one.ppm) << where << ", " << threads << " threads";
      }
      if (index < 4) continue;
      const DecodedPlanes planes = decode_image_pac_planes(bytes, level, nullptr, 1);
      std::vector<std::uint8_t> tga;
      std::vector<std::uint8_t> ppm;
      const auto append = [](std::vector<std::uint8_t>& to) {
        return [&to](std::span<const std::uint8_t> piece) {
          to.insert(to.end(), piece.begin(), piece.end());
          return true;
        };
      };
      ASSERT_TRUE(
          write_tga(turn_counter_clockwise(ycc_to_rgb(planes.planes, ChannelOrder::bgr), field),
                    append(tga)));
      ASSERT_TRUE(
          write_ppm48(turn_counter_clockwise(ycc_to_rgb48(planes.planes), field), append(ppm)));
      EXPECT_TRUE(tga == one.tga) << where;
      EXPECT_TRUE(ppm == one.ppm) << where;
    }
  }
}

// Cuts and changed bytes all through the 4Base and 16Base data fail the
// same level for the same reason on any number of threads, or decode to the
// same picture when the change happens to leave a valid level.
TEST(Decoder, DamagedFilesFailAlikeOnAnyNumberOfThreads) {
  const std::size_t rows = sixteen_base_offset(14);
  const std::size_t size = kodak_16base().size();
  int failed = 0;
  for (int k = 1; k <= 8; ++k) {
    const std::size_t cut = rows + (size - rows) * static_cast<std::size_t>(k) / 9;
    const std::size_t changed = 389 * sector_bytes + (size - 389 * sector_bytes) * k / 9;
    for (const bool cutting : {true, false}) {
      auto bytes = kodak_16base();
      if (cutting) {
        bytes.resize(cut);
      } else {
        bytes[changed] ^= 0x5A;
        bytes[changed + 1] = 0xFF;
      }
      const std::string where =
          (cutting ? "cut at " : "changed at ") + std::to_string(cutting ? cut : changed);
      const Outputs one = outputs(bytes, Level::sixteen_base, 1);
      const Outputs several = outputs(bytes, Level::sixteen_base, 3);
      EXPECT_EQ(several.failure, one.failure) << where;
      EXPECT_EQ(several.why, one.why) << where;
      EXPECT_TRUE(several.tga == one.tga) << where;
      failed += one.failure != DecodeFailure::none;
    }
  }
  EXPECT_GE(failed, 8) << "every cut fails 16Base";
}

}  // namespace
}  // namespace pixmera::photocd
