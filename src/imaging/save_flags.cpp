#include <array>

#include "imaging/convert_file.h"
#include "settings/settings.h"

namespace pixmera {

namespace {

// Flags by a setting code; a code outside the list adds nothing.
template <size_t N>
int32_t flag_for(const std::array<int32_t, N>& flags, int32_t code) {
  return (code >= 0 && static_cast<size_t>(code) < N) ? flags[static_cast<size_t>(code)] : 0;
}

constexpr std::array<int32_t, 2> kBmpCompression = {0, BMP_SAVE_RLE};
constexpr std::array<int32_t, 5> kExrCompression = {EXR_NONE, EXR_ZIP, EXR_PIZ, EXR_PXR24, EXR_B44};
constexpr std::array<int32_t, 4> kJpegChroma = {JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422,
                                                JPEG_SUBSAMPLING_420, JPEG_SUBSAMPLING_411};
constexpr std::array<int32_t, 4> kJpegSaveAs = {0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE};
constexpr std::array<int32_t, 4> kPngCompression = {
    PNG_Z_NO_COMPRESSION, PNG_Z_BEST_SPEED, PNG_Z_DEFAULT_COMPRESSION, PNG_Z_BEST_COMPRESSION};
constexpr std::array<int32_t, 2> kTgaCompression = {0, TARGA_SAVE_RLE};
constexpr std::array<int32_t, 9> kTiffCompression = {
    TIFF_NONE,          TIFF_CCITTFAX3, TIFF_CCITTFAX4, TIFF_PACKBITS, TIFF_DEFLATE,
    TIFF_ADOBE_DEFLATE, TIFF_LZW,       TIFF_JPEG,      TIFF_LOGLUV};

using FlagRule = int32_t (*)(const Settings&);

struct SaveFlagRow {
  std::string_view extension;
  FlagRule rule;  // nullptr: no flags
};

// In the order of the output formats; the formats without save options give 0.
constexpr std::array<SaveFlagRow, 23> kSaveFlagRules = {{
    {"bmp", [](const Settings& s) { return flag_for(kBmpCompression, s.bmp_compression); }},
    {"dds", nullptr},
    {"exr", [](const Settings& s) { return flag_for(kExrCompression, s.exr_compression); }},
    {"gif", nullptr},
    {"hdr", nullptr},
    {"ico", nullptr},
    {"j2k", nullptr},
    {"jng", nullptr},
    {"jp2", nullptr},
    {"jpg",
     [](const Settings& s) {
       return s.jpg_quality | flag_for(kJpegChroma, s.jpg_chroma) |
              flag_for(kJpegSaveAs, s.jpg_save_as);
     }},
    {"jxr", [](const Settings&) { return int32_t{JXR_LOSSLESS}; }},
    {"pbm", nullptr},
    {"pcx", nullptr},
    {"pfm", nullptr},
    {"pgm", nullptr},
    {"png",
     [](const Settings& s) {
       return flag_for(kPngCompression, s.png_compression) |
              (s.png_interlaced != 0 ? PNG_INTERLACED : 0);
     }},
    {"ppm", nullptr},
    {"psd", nullptr},
    {"tga", [](const Settings& s) { return flag_for(kTgaCompression, s.tga_compression); }},
    {"tiff",
     [](const Settings& s) {
       return flag_for(kTiffCompression, s.tiff_compression) |
              (s.tiff_color_mode == 1 ? TIFF_CMYK : 0);
     }},
    {"wbmp", nullptr},
    {"webp",
     [](const Settings& s) {
       return s.webp_quality == 100 ? int32_t{WEBP_LOSSLESS} : s.webp_quality;
     }},
    {"xpm", nullptr},
}};

}  // namespace

int32_t compute_save_flags(std::string_view extension) {
  for (const SaveFlagRow& row : kSaveFlagRules) {
    if (row.extension == extension) return row.rule != nullptr ? row.rule(g_settings) : 0;
  }
  return 0;
}

}  // namespace pixmera
