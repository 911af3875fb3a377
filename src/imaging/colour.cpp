// Colours of the settings record: six hexadecimal digits, red, green, blue.
#include <charconv>
#include <system_error>

#include "imaging/operations.h"

namespace pixmera {

namespace {

// Two hexadecimal digits as one channel. A pair that is not hexadecimal
// ("G0", "+F") gives 0 rather than a guess.
uint8_t channel_from_hex(std::string_view digits) {
  unsigned value = 0;
  const char* const end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
  if (error != std::errc{} || stop != end) return 0;
  return static_cast<uint8_t>(value);
}

}  // namespace

Rgb colour_from_hex(std::string_view text) {
  if (text.size() != 6) return {};
  return Rgb{channel_from_hex(text.substr(0, 2)), channel_from_hex(text.substr(2, 2)),
             channel_from_hex(text.substr(4, 2))};
}

}  // namespace pixmera
