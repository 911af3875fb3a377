#include "cli/options.h"

#include <array>

#include "settings/ini_file.h"
#include "settings/keywords.h"
#include "util/text.h"

namespace pixmera {

namespace {

using K = OptionKind;

constexpr OptionSpec kw(std::string_view name, int32_t family, std::string_view group,
                        std::string_view key, std::string_view extra_key = {},
                        int32_t extra_value = 0) {
  return {name, K::Keyword, family, group, key, 0, extra_key, extra_value};
}
constexpr OptionSpec num(std::string_view name, std::string_view group, std::string_view key,
                         std::string_view extra_key = {}, int32_t extra_value = 0) {
  return {name, K::Integer, 0, group, key, 0, extra_key, extra_value};
}
constexpr OptionSpec text(std::string_view name, std::string_view group, std::string_view key,
                          std::string_view extra_key = {}, int32_t extra_value = 0) {
  return {name, K::Text, 0, group, key, 0, extra_key, extra_value};
}
constexpr OptionSpec flag(std::string_view name, std::string_view group, std::string_view key,
                          int32_t value, std::string_view extra_key = {}, int32_t extra_value = 0) {
  return {name, K::Flag, 0, group, key, value, extra_key, extra_value};
}

using B = BasicOption;
using V = BasicValue;

constexpr std::array<BasicOptionSpec, 18> kBasicOptions = {{
    {"-I", B::Input, V::InputFile},
    {"--INPUT", B::Input, V::InputFile},
    {"-O", B::Output, V::Folder},
    {"--OUTPUT", B::Output, V::Folder},
    {"-C", B::Conversion, V::ConversionType},
    {"--CONVERSION", B::Conversion, V::ConversionType},
    {"--PROFILE", B::Profile, V::AnyFile},
    {"-Q", B::Quiet, V::None},
    {"--QUIET", B::Quiet, V::None},
    {"-D", B::Debug, V::None},
    {"--DEBUG", B::Debug, V::None},
    {"-P", B::Pause, V::None},
    {"--PAUSE", B::Pause, V::None},
    {"-H", B::Help, V::None},
    {"-?", B::Help, V::None},
    {"--HELP", B::Help, V::None},
    {"-V", B::Version, V::None},
    {"--VERSION", B::Version, V::None},
}};

constexpr std::string_view kFrameOpacityOnCommandLine = "--FR-SOLID-OPACITY";
constexpr std::string_view kFrameOpacityInProfile = "--WM-SOLID-OPACITY";

constexpr std::array kOptions = {
    kw("--DDS-LOAD-AS", kFamilyDdsLoadAs, "Input", "DDS Load As"),
    kw("--GIF-FRAME-LOADING", kFamilyFrameLoading, "Input", "GIF Frame Loading"),
    kw("--ICO-FRAME-LOADING", kFamilyFrameLoading, "Input", "ICO Frame Loading"),
    kw("--PSD-COLOR-MODE", kFamilyColorMode, "Input", "PSD Color Mode"),
    kw("--RAW-LOAD-AS", kFamilyRawLoadAs, "Input", "RAW Load As"),
    num("--RAW-HEADER-SIZE", "Input", "RAW Header Size"),
    num("--RAW-WIDTH", "Input", "RAW Image Width"),
    num("--RAW-HEIGHT", "Input", "RAW Image Height"),
    kw("--RAW-TONE-MAPPING", kFamilyRawToneMapping, "Input", "RAW Tone Mapping"),
    kw("--TIFF-FRAME-LOADING", kFamilyFrameLoading, "Input", "TIFF Frame Loading"),
    kw("--PHOTOCD-HIGHLIGHTS", kFamilyPhotoCdHighlights, "PhotoCD", "PhotoCD Highlights"),
    kw("--PHOTOCD-COLOR-SPACE", kFamilyPhotoCdColorSpace, "PhotoCD", "PhotoCD Color Space"),
    num("--BMP-BPP", "Output", "BMP BPP"),
    kw("--BMP-COMPRESSION", kFamilyCompression, "Output", "BMP Compression"),
    kw("--BMP-COLOR-TABLE", kFamilyBmpColorTable, "Output", "BMP Color Table"),
    num("--DDS-BPP", "Output", "DDS BPP"),
    num("--EXR-BPP", "Output", "EXR BPP"),
    kw("--EXR-COMPRESSION", kFamilyCompression, "Output", "EXR Compression"),
    num("--GIF-BPP", "Output", "GIF BPP"),
    num("--HDR-BPP", "Output", "HDR BPP"),
    num("--ICO-BPP", "Output", "ICO BPP"),
    num("--J2K-BPP", "Output", "J2K BPP"),
    num("--JNG-BPP", "Output", "JNG BPP"),
    num("--JP2-BPP", "Output", "JP2 BPP"),
    num("--JPG-BPP", "Output", "JPG BPP"),
    num("--JPG-QUALITY", "Output", "JPG Quality"),
    kw("--JPG-CHROMA", kFamilyJpegChroma, "Output", "JPG Chroma"),
    kw("--JPG-SAVE-AS", kFamilyJpegSaveAs, "Output", "JPG Save As"),
    num("--JXR-BPP", "Output", "JXR BPP"),
    num("--PBM-BPP", "Output", "PBM BPP"),
    num("--PCX-BPP", "Output", "PCX BPP"),
    num("--PFM-BPP", "Output", "PFM BPP"),
    num("--PGM-BPP", "Output", "PGM BPP"),
    num("--PNG-BPP", "Output", "PNG BPP"),
    kw("--PNG-COMPRESSION", kFamilyCompression, "Output", "PNG Compression"),
    flag("--PNG-INTERLACED", "Output", "PNG Interlaced", 1),
    num("--PPM-BPP", "Output", "PPM BPP"),
    num("--PSD-BPP", "Output", "PSD BPP"),
    num("--TGA-BPP", "Output", "TGA BPP"),
    kw("--TGA-COMPRESSION", kFamilyCompression, "Output", "TGA Compression"),
    num("--TIFF-BPP", "Output", "TIFF BPP"),
    kw("--TIFF-COMPRESSION", kFamilyCompression, "Output", "TIFF Compression"),
    kw("--TIFF-COLOR-MODE", kFamilyColorMode, "Output", "TIFF Color Mode"),
    num("--WBMP-BPP", "Output", "WBMP BPP"),
    num("--WEBP-BPP", "Output", "WEBP BPP"),
    num("--WEBP-QUALITY", "Output", "WEBP Quality"),
    num("--XPM-BPP", "Output", "XPM BPP"),
    kw("--ROTATION-TYPE", kFamilyRotationType, "Transform", "Image Rotation Type"),
    num("--ROTATION", "Transform", "Image Rotation", "Do Image Rotation", 1),
    text("--ROTATION-BACK-COLOR", "Transform", "Image Rotation Back Color"),
    num("--WIDTH", "Transform", "Image Width", "Do Image Resize", 1),
    kw("--WIDTH-UNIT", kFamilyUnit, "Transform", "Image Width Unit"),
    num("--HEIGHT", "Transform", "Image Height", "Do Image Resize", 1),
    kw("--HEIGHT-UNIT", kFamilyUnit, "Transform", "Image Height Unit"),
    flag("--KEEP-ASPECT-RATIO", "Transform", "Keep Aspect Ratio", 1),
    kw("--RESIZE-TYPE", kFamilyResizeType, "Transform", "Image Resize Type"),
    kw("--RESIZE-ALGORITHM", kFamilyResizeAlgorithm, "Transform", "Image Resize Algorithm"),
    flag("--FLIP-HORIZONTAL", "Transform", "Do Image Flip Horizontal", 1),
    flag("--FLIP-VERTICAL", "Transform", "Do Image Flip Vertical", 1),
    num("--BRIGHTNESS", "Adjustment", "Image Brightness", "Do Image Color Correction", 1),
    num("--CONTRAST", "Adjustment", "Image Contrast", "Do Image Color Correction", 1),
    OptionSpec{"--GAMMA", K::Decimal, 0, "Adjustment", "Image Gamma", 0,
               "Do Image Color Correction", 1},
    flag("--INVERT", "Adjustment", "Image Invert", 1, "Do Image Color Correction", 1),
    flag("--GREYSCALE", "Adjustment", "Do Image Greyscale", 1),
    num("--THRESHOLD", "Adjustment", "Image Threshold", "Do Image Threshold", 1),
    kw("--DITHER", kFamilyDitherAlgorithm, "Adjustment", "Image Dither Algorithm",
       "Do Image Dither", 1),
    num("--FR-SOLID-LEFT", "Frame", "Solid Left", "Do Frame", 1),
    num("--FR-SOLID-RIGHT", "Frame", "Solid Right", "Do Frame", 1),
    num("--FR-SOLID-TOP", "Frame", "Solid Top", "Do Frame", 1),
    num("--FR-SOLID-BOTTOM", "Frame", "Solid Bottom", "Do Frame", 1),
    text("--FR-SOLID-LEFT-COLOR", "Frame", "Solid Left Color"),
    text("--FR-SOLID-RIGHT-COLOR", "Frame", "Solid Right Color"),
    text("--FR-SOLID-TOP-COLOR", "Frame", "Solid Top Color"),
    text("--FR-SOLID-BOTTOM-COLOR", "Frame", "Solid Bottom Color"),
    num(kFrameOpacityOnCommandLine, "Frame", "Solid Opacity"),
    text("--WM-TEXT", "Watermark", "Text", "Do Watermark", 1),
    text("--WM-FONT", "Watermark", "Font"),
    num("--WM-FONT-SIZE", "Watermark", "Font Size"),
    num("--WM-FONT-LEADING", "Watermark", "Font Leading"),
    text("--WM-FONT-COLOR", "Watermark", "Font Color"),
    kw("--WM-FONT-STYLE", kFamilyFontStyle, "Watermark", "Font Style"),
    kw("--WM-FONT-EFFECT", kFamilyFontEffect, "Watermark", "Font Effect"),
    flag("--WM-TEXT-ANTIALIASING", "Watermark", "Text Antialiasing", 1),
    kw("--WM-TEXT-ALIGNMENT", kFamilyTextAlignment, "Watermark", "Text Alignment"),
    num("--WM-TEXT-PADDING", "Watermark", "Text Padding"),
    num("--WM-TEXT-OPACITY", "Watermark", "Text Opacity"),
    text("--WM-BACK-COLOR", "Watermark", "Back Color"),
    num("--WM-BACK-OPACITY", "Watermark", "Back Opacity"),
    kw("--WM-TEXT-BOUNDARY", kFamilyBoundary, "Watermark", "Text Boundary"),
    kw("--WM-TEXT-POSITION", kFamilyPosition, "Watermark", "Text Position"),
    num("--WM-TEXT-X-OFFSET", "Watermark", "Text X Offset"),
    num("--WM-TEXT-Y-OFFSET", "Watermark", "Text Y Offset"),
    num("--WM-TEXT-ROTATION", "Watermark", "Text Rotation"),
    kw("--WM-TEXT-SIZE", kFamilySize, "Watermark", "Text Size"),
    text("--WM-IMAGE", "Watermark", "Image", "Do Watermark", 2),
    flag("--WM-IMAGE-GREYSCALE", "Watermark", "Image Greyscale", 1),
    num("--WM-IMAGE-OPACITY", "Watermark", "Image Opacity"),
    kw("--WM-IMAGE-BOUNDARY", kFamilyBoundary, "Watermark", "Image Boundary"),
    kw("--WM-IMAGE-POSITION", kFamilyPosition, "Watermark", "Image Position"),
    num("--WM-IMAGE-X-OFFSET", "Watermark", "Image X Offset"),
    num("--WM-IMAGE-Y-OFFSET", "Watermark", "Image Y Offset"),
    num("--WM-IMAGE-ROTATION", "Watermark", "Image Rotation"),
    kw("--WM-IMAGE-SIZE", kFamilySize, "Watermark", "Image Size"),
    text("--FILENAME-MASK", "Advanced", "Filename Mask"),
    kw("--FILE-TIMESTAMP", kFamilyFileTimestamp, "Advanced", "File Timestamp"),
    num("--FILE-TIMESTAMP-CUSTOM", "Advanced", "Custom Timestamp"),
    flag("--NO-SUBFOLDERS", "Advanced", "Keep Subfolders", 0),
};

void store_int(Settings& settings, std::string_view group, std::string_view key, int32_t value) {
  if (const SettingField* field = find_setting(group, key)) {
    set_setting_int(settings, *field, value);
  }
}

}  // namespace

std::span<const BasicOptionSpec> basic_options() { return kBasicOptions; }

const BasicOptionSpec* find_basic_option(std::string_view upper_name) {
  for (const BasicOptionSpec& option : kBasicOptions) {
    if (option.name == upper_name) return &option;
  }
  return nullptr;
}

std::span<const OptionSpec> advanced_options() { return kOptions; }

const OptionSpec* find_advanced_option(std::string_view upper_name, bool in_profile) {
  if (in_profile) {
    if (upper_name == kFrameOpacityOnCommandLine) return nullptr;
    if (upper_name == kFrameOpacityInProfile) upper_name = kFrameOpacityOnCommandLine;
  }
  for (const OptionSpec& option : kOptions) {
    if (option.name == upper_name) return &option;
  }
  return nullptr;
}

void apply_option(const OptionSpec& option, std::string_view value, Settings& settings) {
  const SettingField* field = find_setting(option.group, option.key);
  if (field == nullptr) return;
  switch (option.kind) {
    case OptionKind::Keyword:
      set_setting_int(settings, *field, keyword_to_code(option.family, trim_spaces(value)));
      break;
    case OptionKind::Integer:
      set_setting_int(settings, *field, parse_number(value));
      break;
    case OptionKind::Decimal:
      set_setting_real(settings, *field, parse_decimal(value));
      break;
    case OptionKind::Text:
      set_setting_text(settings, *field, std::string(value));
      break;
    case OptionKind::Flag:
      set_setting_int(settings, *field, option.flag_value);
      break;
  }
  if (!option.extra_key.empty()) {
    store_int(settings, option.group, option.extra_key, option.extra_value);
  }
}

bool apply_profile(const std::string& path, Settings& settings) {
  if (path.empty()) return false;
  IniDocument document;
  if (!load_ini(path, document)) return false;
  apply_profile_document(document, settings);
  return true;
}

void apply_profile_document(const IniDocument& document, Settings& settings) {
  const IniGroup* group = find_ini_group(document, "CLI");
  if (group == nullptr) return;
  for (const IniEntry& entry : group->entries) {
    const OptionSpec* option = find_advanced_option(to_upper(entry.key), true);
    if (option != nullptr) apply_option(*option, trim_spaces(entry.value), settings);
  }
}

}  // namespace pixmera
