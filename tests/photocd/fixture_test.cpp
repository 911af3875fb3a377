// Every level of the Kodak-scale fixtures against pictures made from the
// source photographs, and the levels each fixture must or must not yield.
//
// References (tests/data/photocd/references/, made with mkpcd.py
// --reference-only from the source photographs): 192x128 and 384x256 for
// Base/16 and Base/4, the fixtures' own 768x512 PNGs for Base, and 1536x1024
// for 4Base. 16Base is compared after a 2x2 box-filter reduction to that
// 1536x1024 reference, which keeps the repository free of 3072x2048
// pictures. Tolerance: at least 35 dB PSNR over all three channels.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "photocd/decoder.h"
#include "photocd/orientation.h"
#include "test_support.h"

namespace pixmera::photocd {
namespace {

using testing::compare_or_keep;
using testing::pcd_fixture;
using testing::photocd_data;
using testing::read_bytes;

constexpr double minimum_psnr_db = 35.0;

struct LevelCase {
  std::string fixture;  // base name in tests/data/pcd
  int index;
};

std::string reference_for(const std::string& fixture, int index) {
  switch (index) {
    case 0:
    case 1:
      return photocd_data("references/" + fixture + "_192x128.png");
    case 2:
      return photocd_data("references/" + fixture + "_384x256.png");
    case 3:
      return pcd_fixture(fixture + ".png");
    default:
      return photocd_data("references/" + fixture + "_1536x1024.png");
  }
}

const std::vector<std::uint8_t>& fixture_bytes(const std::string& fixture) {
  static std::map<std::string, std::vector<std::uint8_t>> cache;
  auto it = cache.find(fixture);
  if (it == cache.end())
    it = cache.emplace(fixture, read_bytes(pcd_fixture(fixture + ".pcd"))).first;
  return it->second;
}

class KodakLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(KodakLevel, MatchesTheReferenceUpright) {
  const LevelCase& c = GetParam();
  const Level level = level_for_index(static_cast<std::uint64_t>(c.index));
  const DecodeResult result = decode_image_pac(fixture_bytes(c.fixture), level);
  ASSERT_TRUE(result) << result.why;
  ASSERT_EQ(result.image.width, stored_size(level).width);
  ASSERT_EQ(result.image.height, stored_size(level).height);

  RgbImage compared = c.index == 5 ? testing::box_downscale(result.image, 2) : result.image;
  const RgbImage reference = testing::load_picture(reference_for(c.fixture, c.index));
  const std::string stem = c.fixture + "_" + std::to_string(c.index);
  const double db = compare_or_keep(compared, reference, minimum_psnr_db, stem);
  EXPECT_GE(db, minimum_psnr_db) << "pictures kept in " << testing::failure_output_dir();
  ::testing::Test::RecordProperty("psnr_db", std::to_string(db));
  std::printf("[ psnr     ] %s index %d: %.2f dB\n", c.fixture.c_str(), c.index, db);
}

std::vector<LevelCase> kodak_cases() {
  std::vector<LevelCase> cases;
  for (const char* fixture : {"kodak_16base", "kodak_rot180_16base"}) {
    for (int index = 0; index <= 5; ++index) cases.push_back({fixture, index});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, KodakLevel, ::testing::ValuesIn(kodak_cases()),
                         [](const ::testing::TestParamInfo<LevelCase>& param_info) {
                           return param_info.param.fixture + "_" +
                                  std::to_string(param_info.param.index);
                         });

TEST(KodakFixtures, HalfTurnedFileIsNotUprightWithoutTheTurn) {
  // The upright comparison above must be able to tell: the stored raster,
  // turned back, scores far below the threshold.
  const DecodeResult result = decode_image_pac(fixture_bytes("kodak_rot180_16base"), Level::base);
  ASSERT_TRUE(result);
  const RgbImage reference = testing::load_picture(pcd_fixture("kodak_rot180_16base.png"));
  const RgbImage stored = turn_counter_clockwise(result.image, 2);
  EXPECT_LT(testing::psnr(stored, reference), 25.0);
  EXPECT_GE(testing::psnr(result.image, reference), minimum_psnr_db);
}

TEST(PortraitFixture, SixteenBaseComesOutPortraitAndUpright) {
  // This fixture uses the other YCC scale, so colours differ; brightness
  // correlation compares the geometry alone.
  const DecodeResult result =
      decode_image_pac(read_bytes(pcd_fixture("photo_portrait_16base.pcd")), Level::sixteen_base);
  ASSERT_TRUE(result) << result.why;
  ASSERT_EQ(result.image.width, 2048);
  ASSERT_EQ(result.image.height, 3072);
  const RgbImage reference = testing::load_picture(pcd_fixture("photo_portrait_16base.png"));
  const RgbImage small = testing::box_downscale(result.image, 4);
  const double upright = testing::brightness_correlation(small, reference);
  const double half_turned =
      testing::brightness_correlation(turn_counter_clockwise(small, 2), reference);
  std::printf("[ corr     ] portrait upright %.3f, half turned %.3f\n", upright, half_turned);
  EXPECT_GT(upright, 0.95);
  EXPECT_LT(half_turned, 0.5);
}

// Which indexes each fixture yields; the rest fail with nothing to show.
TEST(FixtureLevels, EachFileYieldsExactlyTheLevelsItHolds) {
  struct Case {
    const char* file;
    int last_good;  // highest index that decodes, -1 for none
  };
  const std::vector<Case> cases{
      {"kodak_16base.pcd", 5}, {"photo_16base.pcd", 5}, {"photo_portrait_16base.pcd", 5},
      {"base_only.pcd", 3},    {"photo_4base.pcd", 4},  {"truncated.pcd", 4},
      {"header_only.pcd", -1}, {"not_a_pcd.pcd", -1},   {"empty.pcd", -1},
  };
  for (const Case& c : cases) {
    const auto bytes = read_bytes(pcd_fixture(c.file));
    for (int index = 0; index <= 7; ++index) {
      const DecodeResult result =
          decode_image_pac(bytes, level_for_index(static_cast<std::uint64_t>(index)));
      EXPECT_EQ(static_cast<bool>(result), index <= c.last_good)
          << c.file << "[" << index << "]: " << result.why;
      if (!result) {
        EXPECT_TRUE(result.image.pixels.empty()) << c.file << "[" << index << "]";
      }
    }
  }
}

}  // namespace
}  // namespace pixmera::photocd
