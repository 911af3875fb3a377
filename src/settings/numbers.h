// The number parsers of option values, profiles and the configuration file.
#pragma once

#include <cstdint>
#include <string_view>

namespace pixmera {

// Integers: blanks and tabs, a sign, then "$" and hexadecimal digits, "%" and
// binary digits, or decimal digits; stops at the first character that does
// not fit; no digits gives 0. Values beyond the 32-bit range are clamped to
// it (saturation, not wrap-around), so a stray extra digit gives the largest
// number, which the range checks then refuse.
int32_t parse_number(std::string_view text);

// "+Infinity", "-Infinity" and "NaN" in any case, otherwise a decimal number
// with "." as the point; anything that is not a number gives 0. Magnitudes
// beyond the float range become infinities.
float parse_decimal(std::string_view text);

// An integer value of the file, read like atoi: blanks, an optional sign,
// decimal digits up to the first other character; no digits give 0. Values
// beyond the 32-bit range are clamped to it, as parse_number does.
int32_t parse_configuration_integer(std::string_view text);

}  // namespace pixmera
