// The argument vectors the conversion step hands the converter:
//   -quiet -colorspace sRGB [-orient TopLeft] <input>[n] <output.tga>
//   -quiet -colorspace sRGB [-orient TopLeft] -depth 16 <input>[n] <output.ppm>
// Nothing else is accepted, so a caller that changes its arguments finds out
// at once instead of getting a picture made some other way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pixmera::photocd {

struct ConvertRequest {
  std::string input_path;
  std::optional<std::uint64_t> index;  // the n of "<input>[n]"; huge values saturate
  std::string output_path;
  bool sixteen_bits = false;  // "-depth 16": a 16-bit binary PPM instead of a TGA
};

// `arguments` excludes the program name. Returns nullopt on any other shape.
std::optional<ConvertRequest> parse_convert_arguments(std::span<const std::string_view> arguments);

// Splits a trailing "[digits]" off `argument`. Brackets anywhere else, or
// around something other than digits, belong to the path.
void split_sub_image_index(std::string_view argument, std::string& path,
                           std::optional<std::uint64_t>& index);

inline constexpr std::string_view convert_usage =
    "usage: convert -quiet -colorspace sRGB [-orient TopLeft] <input.pcd>[n] <output.tga>\n"
    "       convert -quiet -colorspace sRGB [-orient TopLeft] -depth 16 <input.pcd>[n] "
    "<output.ppm>";

}  // namespace pixmera::photocd
