// The number parsers and the keyword lookup on any text, checked against the
// C library where its rules and ours agree.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "settings/catalogue.h"
#include "settings/keywords.h"
#include "settings/numbers.h"
#include "util/text.h"

namespace {

int32_t clamp_to_int32(long long value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// atoi's rules are strtoll's in base 10; strtoll saturates at 64 bits, which
// clamps to the same 32-bit bounds.
void check_configuration_integer(const std::string& text) {
  errno = 0;
  const long long reference = std::strtoll(text.c_str(), nullptr, 10);
  if (pixmera::parse_configuration_integer(text) != clamp_to_int32(reference)) std::abort();
}

// Where the text is plain decimal notation that strtod reads to its end, both
// must agree (strtod also knows words and hexadecimal forms that we refuse).
void check_decimal(const std::string& text) {
  const float value = pixmera::parse_decimal(text);
  const std::string_view trimmed = pixmera::trim_blanks(text);
  if (trimmed.empty() || trimmed.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
    return;
  }
  if (trimmed.starts_with("+-")) return;
  const std::string plain(trimmed);
  char* end = nullptr;
  const double reference = std::strtod(plain.c_str(), &end);
  if (end != plain.c_str() + plain.size()) return;
  float expected = 0.0f;
  if (std::fabs(reference) > std::numeric_limits<float>::max()) {
    expected = reference < 0 ? -std::numeric_limits<float>::infinity()
                             : std::numeric_limits<float>::infinity();
  } else {
    expected = static_cast<float>(reference);
  }
  if (value != expected) std::abort();
}

void check_keywords(const std::string& text) {
  for (int32_t family = -1; family <= 23; ++family) {
    const int32_t code = pixmera::keyword_to_code(family, text);
    if (code != 0 && pixmera::code_to_keyword(family, code).empty()) std::abort();
    (void)pixmera::keyword_display_text(family, text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pixmera::build_catalogue();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)pixmera::parse_number(text);
  check_configuration_integer(text);
  check_decimal(text);
  check_keywords(text);
  return 0;
}
