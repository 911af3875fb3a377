#include "settings/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "util/text.h"

namespace pixmera {

namespace {

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads the digits of the base from `pos` on, up to the first character that
// is not one. Values beyond the 32-bit range are clamped to it (saturation,
// not wrap-around): the running value is held at a bound just past that
// range, so arbitrarily long digit runs cannot overflow.
int32_t read_digits(std::string_view text, size_t pos, int base, bool negative) {
  constexpr int64_t kCeiling = int64_t{1} << 32;
  int64_t value = 0;
  for (; pos < text.size(); ++pos) {
    const int digit = digit_value(text[pos]);
    if (digit >= base) break;
    value = std::min(value * base + digit, kCeiling);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// For a decimal number beyond the range of a double: true when it is too
// large, false when it is too close to zero. Its order of magnitude is the
// place of the first non-zero digit relative to the point, plus the exponent.
bool is_too_large(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  const int64_t exponent =
      e == std::string_view::npos ? 0 : parse_configuration_integer(number.substr(e + 1));
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const int64_t order = first < point ? static_cast<int64_t>(point - first) - 1
                                      : static_cast<int64_t>(point) - static_cast<int64_t>(first);
  return order + exponent > 0;
}

}  // namespace

int32_t parse_number(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  int base = 10;
  if (pos < text.size() && text[pos] == '$') {
    base = 16;
    ++pos;
  } else if (pos < text.size() && text[pos] == '%') {
    base = 2;
    ++pos;
  }
  return read_digits(text, pos, base, negative);
}

int32_t parse_configuration_integer(std::string_view text) {
  // atoi skips all C white space, not only blanks and tabs.
  size_t pos = text.find_first_not_of(" \t\n\v\f\r");
  if (pos == std::string_view::npos) return 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  return read_digits(text, pos, 10, negative);
}

float parse_decimal(std::string_view text) {
  const std::string_view trimmed = trim_blanks(text);
  if (equals_ignore_case(trimmed, "+Infinity")) return std::numeric_limits<float>::infinity();
  if (equals_ignore_case(trimmed, "-Infinity")) return -std::numeric_limits<float>::infinity();
  if (equals_ignore_case(trimmed, "NaN")) return std::numeric_limits<float>::quiet_NaN();
  std::string_view digits = trimmed;
  if (digits.starts_with('+')) {
    digits.remove_prefix(1);
    if (digits.starts_with('-')) return 0.0f;
  }
  // Plain decimal notation only: no "inf", "nan" or hexadecimal forms.
  if (digits.empty() || digits.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
    return 0.0f;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::general);
  if (end != digits.data() + digits.size()) return 0.0f;
  if (error == std::errc::result_out_of_range) {
    if (!is_too_large(digits)) return 0.0f;
    return digits.starts_with('-') ? -std::numeric_limits<float>::infinity()
                                   : std::numeric_limits<float>::infinity();
  }
  if (error != std::errc()) return 0.0f;
  if (std::fabs(value) > std::numeric_limits<float>::max()) {
    return value < 0 ? -std::numeric_limits<float>::infinity()
                     : std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

}  // namespace pixmera
