// What the decoded colours become: the highlights above reference white
// clipped or rolled off, and the picture re-expressed in the colour space
// asked for. The PhotoYCC matrix gives sRGB-encoded values that are not
// clipped (a scan holds light up to about 1.4 times reference white, and
// saturated film colours that sRGB cannot hold come out below 0); this is
// where they are kept or fitted into the output.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pixmera::photocd {

enum class Highlights : std::uint8_t { clip, rolloff };
enum class ColourSpace : std::uint8_t { srgb, adobe_rgb, prophoto, linear };

struct ColourChoice {
  ColourSpace space = ColourSpace::srgb;
  Highlights highlights = Highlights::clip;
  friend bool operator==(const ColourChoice&, const ColourChoice&) = default;
};

// The words the converter's command line and the program's settings use,
// in the order of their codes ("CLIP", "ROLLOFF"; "SRGB", "ADOBE_RGB",
// "PROPHOTO", "LINEAR"). nullopt for any other word.
std::optional<Highlights> highlights_from_word(std::string_view word);
std::optional<ColourSpace> colour_space_from_word(std::string_view word);
std::string_view highlights_word(Highlights highlights);
std::string_view colour_space_word(ColourSpace space);

// The roll-off leaves every value up to the knee as it is; above it the
// values approach white along 1 - w e^(-(v - knee) / w), w = 1 - knee, so
// the curve meets the straight line with its slope and the largest value
// PhotoYCC holds (1.402, Y = 255) ends just under white (0.990).
inline constexpr double highlight_knee = 0.8;
double rolled_off(double encoded);

// Chromaticities x, y of the space's red, green, blue and white. sRGB,
// Adobe RGB (1998) and linear sRGB are white at D65; ROMM RGB at D50, taken
// as the ICC's D50 (XYZ 0.9642, 1, 0.8249), the white every profile
// connects through.
std::array<double, 8> chromaticities(ColourSpace space);

// The sRGB curve, and each space's own curve; both odd functions, so values
// below 0 (colours outside the primaries) keep their distance from black.
double srgb_to_linear(double encoded);
double linear_to_encoded(ColourSpace space, double linear);
// Linear sRGB to the linear values of the space's primaries (row-major),
// through XYZ, with Bradford's adaptation from D65 to D50 for ROMM RGB.
std::array<double, 9> linear_srgb_to(ColourSpace space);

// One choice made ready for the pixel loops. `bounded`: the samples become
// integers of 0..1 (8 and 16 bits), so highlights are clipped or rolled
// off; unbounded (floating-point samples) nothing is clipped and the
// highlight choice does not apply.
class ColourRendering {
 public:
  ColourRendering(ColourChoice choice, bool bounded);

  // Whether the rendering changes anything: false for sRGB with clipped
  // highlights at 8 or 16 bits, and for sRGB in floating point, whose
  // pixels are the plain matrix's.
  bool changes_pixels() const;
  // Whether only each channel's own value counts (sRGB with rolled-off
  // highlights): then byte_table() turns an 8-bit result into the output.
  bool per_channel() const { return matrix_ == std::nullopt; }

  // The decoded sRGB-encoded samples of `count` pixels, one array per
  // channel, replaced by the output's encoded values (not yet clipped).
  void apply(float* red, float* green, float* blue, int count) const;

  // For per_channel() renderings at 8 bits: the output byte for a decoded
  // value rounded to steps of 1/255, indexed by that step plus
  // byte_table_offset. Up to the knee the same byte a clipped conversion
  // gives.
  static constexpr int byte_table_offset = 1024;
  const std::vector<std::uint8_t>& byte_table() const { return byte_table_; }

 private:
  // One linear value to the output's encoding, floating point: nothing
  // clipped, values below black mirrored.
  float encode(float linear) const;

  ColourChoice choice_;
  bool bounded_;
  // The decoded value's highlight treatment and, for other spaces than
  // sRGB, its linear light: one table over -2..3 in steps of 1/1280, so
  // the knee (0.8) and white (1.0) fall on nodes and values below the knee
  // come out exactly as with clipped highlights.
  std::vector<float> decode_table_;
  std::optional<std::array<float, 9>> matrix_;
  // The output curve over the logarithm of the linear value: 128 nodes per
  // octave from 2^-40 to 2^4, indexed by the top bits of the float.
  std::vector<float> encode_table_;
  std::vector<std::uint8_t> byte_table_;
};

}  // namespace pixmera::photocd
