// Setting keywords: enumerated settings are stored as small codes and written
// on the command line, in profiles and in the debug listing as upper-case
// words. The families are numbered; callers pass the number.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pixmera {

enum KeywordFamily : int32_t {
  kFamilyDdsLoadAs = 0,
  kFamilyRawLoadAs = 1,
  kFamilyFrameLoading = 2,
  kFamilyRawToneMapping = 3,
  kFamilyCompression = 4,
  kFamilyBmpColorTable = 5,
  kFamilyColorMode = 6,
  kFamilyJpegChroma = 7,
  kFamilyJpegSaveAs = 8,
  kFamilyRotationType = 9,
  kFamilyUnit = 10,
  kFamilyResizeType = 11,
  kFamilyResizeAlgorithm = 12,
  kFamilyDitherAlgorithm = 13,
  kFamilyFrameType = 14,      // code to keyword only
  kFamilyWatermarkType = 15,  // code to keyword only
  kFamilyFontStyle = 16,
  kFamilyFontEffect = 17,
  kFamilyTextAlignment = 18,
  kFamilyBoundary = 19,
  kFamilyPosition = 20,
  kFamilySize = 21,
  kFamilyFileTimestamp = 22,
  kFamilyPhotoCdHighlights = 23,
  kFamilyPhotoCdColorSpace = 24,
};

struct Keyword {
  std::string_view word;
  int32_t code;
};

// The keywords of a family in table order; empty for an unknown family.
std::span<const Keyword> keyword_family(int32_t family);

// The code of the first keyword of the family equal to the text (any case);
// 0 for an unknown word or family, and for the print-only families 14 and 15.
int32_t keyword_to_code(int32_t family, std::string_view text);
// The first keyword of the family with the code; empty text when none.
std::string code_to_keyword(int32_t family, int32_t code);

// The name that prefixes a family's choices in the "Preferences" group of the
// message catalogue ("Compression"); empty for an unknown family.
std::string_view keyword_family_name(int32_t family);
// What the preferences dialog shows for a keyword: the catalogue text
// "Preferences" / family name + " " + keyword ("Compression LZW" -> "LZW").
std::string keyword_display_text(int32_t family, std::string_view keyword);

}  // namespace pixmera
