// The argument vectors the conversion step hands the converter:
//   -quiet -colorspace sRGB [-orient TopLeft] [COLOUR] <input>[n] <output.tga>
//   -quiet -colorspace sRGB [-orient TopLeft] -depth 16 [COLOUR] <input>[n] <output.ppm>
//   -quiet -colorspace sRGB [-orient TopLeft] -depth 32 [COLOUR] <input>[n] <output.pfm>
// COLOUR, our converter's own: [-photocd-highlights CLIP|ROLLOFF]
// [-photocd-color-space SRGB|ADOBE_RGB|PROPHOTO|LINEAR], in that order; the
// step passes them to no other converter. Nothing else is accepted, so a
// caller that changes its arguments finds out at once instead of getting a
// picture made some other way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "photocd/colour_rendering.h"

namespace pixmera::photocd {

struct ConvertRequest {
  std::string input_path;
  std::optional<std::uint64_t> index;  // the n of "<input>[n]"; huge values saturate
  std::string output_path;
  bool sixteen_bits = false;   // "-depth 16": a 16-bit binary PPM instead of a TGA
  bool float_samples = false;  // "-depth 32": a PFM of 32-bit floats
  ColourChoice colour;
};

// `arguments` excludes the program name. Returns nullopt on any other shape.
std::optional<ConvertRequest> parse_convert_arguments(std::span<const std::string_view> arguments);

// Splits a trailing "[digits]" off `argument`. Brackets anywhere else, or
// around something other than digits, belong to the path.
void split_sub_image_index(std::string_view argument, std::string& path,
                           std::optional<std::uint64_t>& index);

inline constexpr std::string_view convert_usage =
    "usage: convert -quiet -colorspace sRGB [-orient TopLeft] [COLOUR] <input.pcd>[n] "
    "<output.tga>\n"
    "       convert -quiet -colorspace sRGB [-orient TopLeft] -depth 16 [COLOUR] <input.pcd>[n] "
    "<output.ppm>\n"
    "       convert -quiet -colorspace sRGB [-orient TopLeft] -depth 32 [COLOUR] <input.pcd>[n] "
    "<output.pfm>\n"
    "COLOUR: [-photocd-highlights CLIP|ROLLOFF] "
    "[-photocd-color-space SRGB|ADOBE_RGB|PROPHOTO|LINEAR]";

}  // namespace pixmera::photocd
