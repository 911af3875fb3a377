// The PFM our converter leaves for 96-bit output: "PF", width and height,
// a scale whose sign gives the byte order (negative: little-endian), then
// three 32-bit floats per pixel with the bottom row first, which is the
// order of FreeImage's own scan lines, so each row is read straight into
// its place. The values are kept as they are: above 1.0 for highlights,
// below 0 for colours outside the primaries.
#include <array>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "imaging/convert_file.h"
#include "platform/files.h"

namespace pixmera {

namespace {

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr size_t kLongestHeader = 256;
constexpr long kLargestSide = 65535;

struct PfmHeader {
  int width = 0;
  int height = 0;
  bool little_endian = true;
  size_t size = 0;  // bytes up to the first sample
};

// "PF", then width, height and the scale separated by whitespace, then
// exactly one whitespace byte. A scale of 0 or one that is no number is
// refused.
std::optional<PfmHeader> parse_header(std::string_view text) {
  if (text.substr(0, 2) != "PF") return std::nullopt;
  size_t at = 2;
  const auto skip_space = [&] {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  };
  std::array<long, 2> sides{};
  for (long& side : sides) {
    skip_space();
    size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6) {
      side = side * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || side == 0 || side > kLargestSide) return std::nullopt;
  }
  skip_space();
  const size_t start = at;
  while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at >= text.size() || at - start > 32) return std::nullopt;
  const std::string scale_text(text.substr(start, at - start));
  char* end = nullptr;
  const double scale = std::strtod(scale_text.c_str(), &end);
  if (end != scale_text.c_str() + scale_text.size() || !(scale != 0.0)) return std::nullopt;
  return PfmHeader{static_cast<int>(sides[0]), static_cast<int>(sides[1]), scale < 0.0, at + 1};
}

void swap_bytes(float* values, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t bits = 0;
    std::memcpy(&bits, &values[i], sizeof bits);
    bits = (bits >> 24) | ((bits >> 8) & 0xFF00u) | ((bits << 8) & 0xFF0000u) | (bits << 24);
    std::memcpy(&values[i], &bits, sizeof bits);
  }
}

}  // namespace

std::optional<Image> load_pfm(const std::string& path) {
  const std::unique_ptr<std::FILE, FileClose> file(open_file(path, "rb"));
  if (!file) return Image();
  std::array<char, kLongestHeader> head{};
  const size_t read = std::fread(head.data(), 1, head.size(), file.get());
  const std::string_view text(head.data(), read);
  if (text.substr(0, 2) != "PF") return std::nullopt;
  const std::optional<PfmHeader> header = parse_header(text);
  if (!header) return Image();

  Image picture = adopt(FreeImage_AllocateT(FIT_RGBF, header->width, header->height));
  if (!picture || std::fseek(file.get(), static_cast<long>(header->size), SEEK_SET) != 0) {
    return Image();
  }
  const bool swap = header->little_endian != (std::endian::native == std::endian::little);
  const size_t samples = static_cast<size_t>(header->width) * 3;
  for (int y = 0; y < header->height; ++y) {
    auto* row = reinterpret_cast<float*>(FreeImage_GetScanLine(picture.get(), y));
    if (std::fread(row, sizeof(float), samples, file.get()) != samples) return Image();
    if (swap) swap_bytes(row, samples);
  }
  return picture;
}

}  // namespace pixmera
