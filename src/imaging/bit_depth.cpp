// Colour depth conversion: the last operation before saving brings the
// picture to the depth the output format is written with.
#include <string>

#include "imaging/operations.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "util/text.h"

namespace pixmera {

namespace {

bool is_one_of(std::string_view extension, std::initializer_list<std::string_view> list) {
  for (std::string_view entry : list) {
    if (entry == extension) return true;
  }
  return false;
}

Image to_16_bits(Image picture, std::string_view extension) {
  if (bpp_of(picture) > 32) picture = to_24_bits(std::move(picture));
  if (!picture) return picture;
  // Icons and Targa files store 16-bit pixels as 5-5-5.
  if (is_one_of(extension, {"ico", "tga"})) {
    return adopt(FreeImage_ConvertTo16Bits555(picture.get()));
  }
  return adopt(FreeImage_ConvertTo16Bits565(picture.get()));
}

Image to_8_bits(Image picture, std::string_view extension) {
  // The JPEG family takes 8 bits as greyscale; every other format gets a
  // 256-colour palette chosen by Wu's quantiser.
  if (is_one_of(extension, {"j2k", "jp2", "jpg", "jxr"})) {
    return adopt(FreeImage_ConvertTo8Bits(picture.get()));
  }
  if (bpp_of(picture) != 24) picture = to_24_bits(std::move(picture));
  if (!picture) return picture;
  return adopt(FreeImage_ColorQuantizeEx(picture.get(), FIQ_WUQUANT, 256, 0, nullptr));
}

}  // namespace

Image floats_to_rgb16(Image image) {
  if (!is_rgb_float(image)) return image;
  const int width = width_of(image);
  const int height = height_of(image);
  Image deep = adopt(FreeImage_AllocateT(FIT_RGB16, width, height));
  if (!deep) return deep;
  // Clipped as integers, which many samples at a time can be; a value far
  // outside 0..1 (or not a number) is held inside 32 bits first.
  const auto sample = [](float value) {
    const float held = value > 2.0f ? 2.0f : (value < -1.0f ? -1.0f : value);
    const auto scaled = static_cast<int32_t>(held * 65535.0f + 0.5f);
    return static_cast<WORD>(scaled < 0 ? 0 : (scaled > 65535 ? 65535 : scaled));
  };
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image.get(), y));
    auto* out = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(deep.get(), y));
    for (int x = 0; x < width; ++x) {
      out[x] = FIRGB16{sample(in[x].red), sample(in[x].green), sample(in[x].blue)};
    }
  }
  FreeImage_SetDotsPerMeterX(deep.get(), FreeImage_GetDotsPerMeterX(image.get()));
  FreeImage_SetDotsPerMeterY(deep.get(), FreeImage_GetDotsPerMeterY(image.get()));
  return deep;
}

int32_t choose_automatic_depth(std::string_view extension, int32_t source_bpp) {
  const std::vector<std::string> depths = split(allowed_bpp_of(extension), ',');
  int32_t depth = 0;
  for (const std::string& field : depths) {
    depth = std::atoi(field.c_str());
    if (depth >= source_bpp) return depth;
  }
  return depth;
}

Image convert_bit_depth(Image picture) {
  if (!picture) return picture;
  CurrentFile& file = g_current_file;
  if (file.automatic_depth != 0) {
    file.output_bpp = choose_automatic_depth(file.conversion_type, file.source_bpp);
  }
  const int32_t target = file.output_bpp;
  // 16-bit grey (from the greyscale of a 16-bit picture) counts 16 bits per
  // pixel but is no 16-bit bitmap; as 16-bit colour it converts to every
  // depth like any 48-bit picture. So does a floating-point picture going to
  // any other depth than its own.
  if (is_grey16(picture) || (is_rgb_float(picture) && target != 96)) {
    picture = deep_to_rgb16(std::move(picture));
    if (!picture) return picture;
  }
  if (static_cast<int32_t>(bpp_of(picture)) == target) return picture;

  FIBITMAP* source = picture.get();
  switch (target) {
    case 96:
      return adopt(FreeImage_ConvertToRGBF(source));
    case 48:
      return adopt(FreeImage_ConvertToRGB16(source));
    case 32:
      return adopt(FreeImage_ConvertTo32Bits(source));
    case 24:
      return to_24_bits(std::move(picture));
    case 16:
      return to_16_bits(std::move(picture), file.conversion_type);
    case 8:
      return to_8_bits(std::move(picture), file.conversion_type);
    case 4:
      return adopt(FreeImage_ConvertTo4Bits(source));
    case 1:
      return adopt(FreeImage_Dither(source, FID_FS));
    default:
      // A depth no format is written with: the file is not converted.
      return Image();
  }
}

}  // namespace pixmera
