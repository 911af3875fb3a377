#include "settings/keywords.h"

#include <array>
#include <span>

#include "settings/catalogue.h"
#include "util/text.h"

namespace pixmera {

namespace {

constexpr Keyword kDdsLoadAs[] = {{"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2}};
constexpr Keyword kRawLoadAs[] = {{"AUTO", 0}, {"8", 1},    {"16", 2},
                                  {"24", 3},   {"48HS", 4}, {"48", 5}};
constexpr Keyword kFrameLoading[] = {
    {"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4}};
constexpr Keyword kRawToneMapping[] = {
    {"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4}};
// One family serves every format with a compression setting, so its codes
// overlap: code 1 is "RLE" for BMP and TGA, "ZIP" for EXR, "ZLIB1" for PNG
// and "CCITTFAX3" for TIFF. Printing a code gives the first word in the list.
constexpr Keyword kCompression[] = {
    {"NONE", 0},      {"RLE", 1},      {"ZIP", 1},     {"PIZ", 2},          {"PXR24", 3},
    {"B44", 4},       {"ZLIB1", 1},    {"ZLIB6", 2},   {"ZLIB9", 3},        {"CCITTFAX3", 1},
    {"CCITTFAX4", 2}, {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5}, {"LZW", 6},
    {"JPEG", 7},      {"LOGLUV", 8}};
constexpr Keyword kBmpColorTable[] = {{"AUTO", 0}, {"EXACT", 1}};
constexpr Keyword kColorMode[] = {{"RGB", 0}, {"CMYK", 1}, {"LAB", 2}};
constexpr Keyword kJpegChroma[] = {{"NONE", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}};
constexpr Keyword kJpegSaveAs[] = {
    {"STANDARD", 0}, {"SIMPLE", 1}, {"OPTIMIZED", 2}, {"PROGRESSIVE", 3}};
constexpr Keyword kRotationType[] = {{"SIMPLE", 0}, {"ADVANCED", 1}};
constexpr Keyword kUnit[] = {{"PIXELS", 0}, {"PERCENT", 1}};
constexpr Keyword kResizeType[] = {{"ALLIMAGES", 0}, {"LARGEIMAGES", 1}};
constexpr Keyword kResizeAlgorithm[] = {{"BOX", 0},     {"BILINEAR", 1},   {"BSPLINE", 2},
                                        {"BICUBIC", 3}, {"CATMULLROM", 4}, {"LANCZOS", 5}};
constexpr Keyword kDitherAlgorithm[] = {{"FS", 0},       {"BAYER4", 1},   {"BAYER8", 2},
                                        {"BAYER16", 3},  {"CLUSTER6", 4}, {"CLUSTER8", 5},
                                        {"CLUSTER16", 6}};
constexpr Keyword kFrameType[] = {{"NONE", 0}, {"SOLID", 1}};
constexpr Keyword kWatermarkType[] = {{"NONE", 0}, {"TEXT", 1}, {"IMAGE", 2}};
constexpr Keyword kFontStyle[] = {{"REGULAR", 0}, {"BOLD", 1}, {"ITALIC", 2}, {"BOLDITALIC", 3}};
constexpr Keyword kFontEffect[] = {{"NONE", 0}, {"UNDERLINE", 1}, {"STRIKETHROUGHT", 2}};
constexpr Keyword kTextAlignment[] = {{"LEFT", 0}, {"CENTER", 1}, {"RIGHT", 2}};
constexpr Keyword kBoundary[] = {{"IMAGE", 0}, {"FRAME", 1}};
constexpr Keyword kPosition[] = {{"TOPLEFT", 0},    {"TOPCENTER", 1},    {"TOPRIGHT", 2},
                                 {"MIDDLELEFT", 3}, {"MIDDLECENTER", 4}, {"MIDDLERIGHT", 5},
                                 {"BOTTOMLEFT", 6}, {"BOTTOMCENTER", 7}, {"BOTTOMRIGHT", 8}};
constexpr Keyword kSize[] = {{"FIXED", 0}};
constexpr Keyword kFileTimestamp[] = {{"CURRENT", 0}, {"ORIGINAL", 1}, {"CUSTOM", 2}};
// The words our PhotoCD converter takes as well (photocd/colour_rendering.h).
constexpr Keyword kPhotoCdHighlights[] = {{"CLIP", 0}, {"ROLLOFF", 1}};
constexpr Keyword kPhotoCdColorSpace[] = {
    {"SRGB", 0}, {"ADOBE_RGB", 1}, {"PROPHOTO", 2}, {"LINEAR", 3}};

constexpr std::array<std::span<const Keyword>, 25> kFamilies = {
    kDdsLoadAs,     kRawLoadAs,  kFrameLoading,    kRawToneMapping,    kCompression,
    kBmpColorTable, kColorMode,  kJpegChroma,      kJpegSaveAs,        kRotationType,
    kUnit,          kResizeType, kResizeAlgorithm, kDitherAlgorithm,   kFrameType,
    kWatermarkType, kFontStyle,  kFontEffect,      kTextAlignment,     kBoundary,
    kPosition,      kSize,       kFileTimestamp,   kPhotoCdHighlights, kPhotoCdColorSpace};

constexpr std::array<std::string_view, 25> kFamilyNames = {
    "DDS Load As",    "RAW Load As", "Frame Loading",    "Tone Mapping", "Compression",
    "Color Table",    "Color Mode",  "Chroma",           "JPG Save As",  "Rotation Type",
    "Unit",           "Resize Type", "Resize Algorithm", "Dither",       "Frame Type",
    "Watermark Type", "Font Style",  "Font Effect",      "Alignment",    "Boundary",
    "Position",       "Size",        "Timestamp",        "Highlights",   "Color Space"};

bool known_family(int32_t family) {
  return family >= 0 && family < static_cast<int32_t>(kFamilies.size());
}

}  // namespace

std::span<const Keyword> keyword_family(int32_t family) {
  if (!known_family(family)) return {};
  return kFamilies[static_cast<size_t>(family)];
}

int32_t keyword_to_code(int32_t family, std::string_view text) {
  if (family == kFamilyFrameType || family == kFamilyWatermarkType) return 0;
  const std::string word = to_upper(text);
  for (const Keyword& keyword : keyword_family(family)) {
    if (keyword.word == word) return keyword.code;
  }
  return 0;
}

std::string code_to_keyword(int32_t family, int32_t code) {
  for (const Keyword& keyword : keyword_family(family)) {
    if (keyword.code == code) return std::string(keyword.word);
  }
  return {};
}

std::string_view keyword_family_name(int32_t family) {
  if (!known_family(family)) return {};
  return kFamilyNames[static_cast<size_t>(family)];
}

std::string keyword_display_text(int32_t family, std::string_view keyword) {
  std::string key(keyword_family_name(family));
  key += ' ';
  key += keyword;
  return catalogue_text("Preferences", key);
}

}  // namespace pixmera
