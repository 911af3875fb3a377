#include "settings/keywords.h"

#include <gtest/gtest.h>

#include <set>

namespace pixmera {
namespace {

TEST(KeywordsTest, WordsMatchInAnyCase) {
  EXPECT_EQ(keyword_to_code(kFamilyCompression, "LZW"), 6);
  EXPECT_EQ(keyword_to_code(kFamilyCompression, "lzw"), 6);
  EXPECT_EQ(keyword_to_code(kFamilyCompression, "LzW"), 6);
  EXPECT_EQ(keyword_to_code(kFamilyResizeAlgorithm, "bicubic"), 3);
  EXPECT_EQ(keyword_to_code(kFamilyPosition, "BottomRight"), 8);
  EXPECT_EQ(keyword_to_code(kFamilyRawLoadAs, "48hs"), 4);
  EXPECT_EQ(keyword_to_code(kFamilyRawLoadAs, "48"), 5);
}

TEST(KeywordsTest, UnknownWordsAndFamiliesGiveZero) {
  EXPECT_EQ(keyword_to_code(kFamilyJpegChroma, "BOGUS"), 0);
  EXPECT_EQ(keyword_to_code(kFamilyJpegChroma, ""), 0);
  // Surrounding blanks are the caller's to remove.
  EXPECT_EQ(keyword_to_code(kFamilyJpegChroma, " HIGH"), 0);
  EXPECT_EQ(keyword_to_code(-1, "LZW"), 0);
  EXPECT_EQ(keyword_to_code(25, "LZW"), 0);
  for (const char* word : {"FIXED", "fixed", "SCALED", ""}) {
    EXPECT_EQ(keyword_to_code(kFamilySize, word), 0) << word;
  }
}

TEST(KeywordsTest, PrintOnlyFamiliesAreNotLookedUp) {
  EXPECT_EQ(keyword_to_code(kFamilyFrameType, "SOLID"), 0);
  EXPECT_EQ(keyword_to_code(kFamilyWatermarkType, "IMAGE"), 0);
  EXPECT_EQ(keyword_to_code(kFamilyWatermarkType, "TEXT"), 0);
  EXPECT_EQ(code_to_keyword(kFamilyFrameType, 1), "SOLID");
  EXPECT_EQ(code_to_keyword(kFamilyWatermarkType, 2), "IMAGE");
}

TEST(KeywordsTest, CompressionCodesPrintAsTheirFirstWord) {
  const char* expected[] = {"NONE",         "RLE", "PIZ",  "PXR24", "B44",
                            "ADOBEDEFLATE", "LZW", "JPEG", "LOGLUV"};
  for (int32_t code = 0; code <= 8; ++code) {
    EXPECT_EQ(code_to_keyword(kFamilyCompression, code), expected[code]) << code;
  }
  // A TIFF setting of 1 still prints as "RLE".
  EXPECT_EQ(code_to_keyword(kFamilyCompression, keyword_to_code(kFamilyCompression, "CCITTFAX3")),
            "RLE");
  EXPECT_EQ(code_to_keyword(kFamilyCompression, 9), "");
  EXPECT_EQ(code_to_keyword(kFamilyCompression, -1), "");
  EXPECT_EQ(code_to_keyword(25, 0), "");
  EXPECT_EQ(code_to_keyword(-1, 0), "");
}

TEST(KeywordsTest, EveryFamilyStartsAtZeroAndRoundTrips) {
  for (int32_t family = 0; family <= kFamilyPhotoCdColorSpace; ++family) {
    const auto words = keyword_family(family);
    ASSERT_FALSE(words.empty()) << family;
    EXPECT_EQ(words.front().code, 0) << family;
    EXPECT_FALSE(keyword_family_name(family).empty()) << family;
    std::set<std::string_view> seen;
    for (const Keyword& keyword : words) {
      EXPECT_TRUE(seen.insert(keyword.word).second) << family << " " << keyword.word;
      if (family == kFamilyFrameType || family == kFamilyWatermarkType) continue;
      EXPECT_EQ(keyword_to_code(family, keyword.word), keyword.code) << keyword.word;
    }
  }
  // The family names prefix the keys of the display words, so they must differ.
  std::set<std::string_view> names;
  for (int32_t family = 0; family <= kFamilyPhotoCdColorSpace; ++family) {
    EXPECT_TRUE(names.insert(keyword_family_name(family)).second) << family;
  }
  EXPECT_TRUE(keyword_family(25).empty());
  EXPECT_TRUE(keyword_family_name(-1).empty());
}

}  // namespace
}  // namespace pixmera
