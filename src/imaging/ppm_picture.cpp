// The 16-bit binary PPM a converter leaves when asked for "-depth 16".
// FreeImage reads such a file one sample per call of its reader, some
// nineteen million calls for a 16Base picture and longer than the whole
// 24-bit conversion; here each row is one read.
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "imaging/convert_file.h"
#include "platform/files.h"

namespace pixmera {

namespace {

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Headers longer than this (comments without end) are not taken.
constexpr size_t kLongestHeader = 4096;
constexpr long kLargestSide = 65535;

struct PpmHeader {
  long width = 0;
  long height = 0;
  long maxval = 0;
  size_t size = 0;  // bytes up to the first sample
};

// "P6", then width, height and maxval as decimal numbers separated by
// whitespace and "#" comments, then exactly one whitespace byte.
std::optional<PpmHeader> parse_header(std::string_view text) {
  if (text.substr(0, 2) != "P6") return std::nullopt;
  size_t at = 2;
  std::array<long, 3> numbers{};
  for (long& number : numbers) {
    while (at < text.size()) {
      if (std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
      } else if (text[at] == '#') {
        const size_t end = text.find('\n', at);
        if (end == std::string_view::npos) return std::nullopt;
        at = end + 1;
      } else {
        break;
      }
    }
    size_t digits = 0;
    number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6) {
      number = number * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || number > kLargestSide) return std::nullopt;
  }
  if (at >= text.size() || !std::isspace(static_cast<unsigned char>(text[at]))) return std::nullopt;
  if (numbers[0] == 0 || numbers[1] == 0 || numbers[2] == 0) return std::nullopt;
  return PpmHeader{numbers[0], numbers[1], numbers[2], at + 1};
}

}  // namespace

std::optional<Image> load_ppm48(const std::string& path) {
  const std::unique_ptr<std::FILE, FileClose> file(open_file(path, "rb"));
  if (!file) return Image();
  std::vector<char> head(kLongestHeader);
  head.resize(std::fread(head.data(), 1, head.size(), file.get()));
  const std::optional<PpmHeader> header = parse_header(std::string_view(head.data(), head.size()));
  if (!header) {
    // A PPM whose header does not parse is damaged; anything else is not ours.
    const bool claims_ppm = head.size() >= 2 && head[0] == 'P' && head[1] == '6';
    return claims_ppm ? std::optional<Image>(Image()) : std::nullopt;
  }
  // Up to 255 the samples are bytes: FreeImage's reader handles that.
  if (header->maxval < 256) return std::nullopt;

  const auto width = static_cast<int>(header->width);
  const auto height = static_cast<int>(header->height);
  Image picture = adopt(FreeImage_AllocateT(FIT_RGB16, width, height));
  if (!picture || std::fseek(file.get(), static_cast<long>(header->size), SEEK_SET) != 0) {
    return Image();
  }
  const auto maxval = static_cast<uint32_t>(header->maxval);
  const size_t row_bytes = static_cast<size_t>(width) * 6;
  std::vector<uint8_t> row(row_bytes);
  for (int y = 0; y < height; ++y) {
    if (std::fread(row.data(), 1, row_bytes, file.get()) != row_bytes) return Image();
    // The file's rows run top-down, FreeImage's scan lines bottom-up.
    auto* out = reinterpret_cast<WORD*>(FreeImage_GetScanLine(picture.get(), height - 1 - y));
    for (size_t i = 0; i < row_bytes / 2; ++i) {
      out[i] = static_cast<WORD>(row[2 * i] << 8 | row[2 * i + 1]);
    }
    if (maxval != 65535) {
      for (size_t i = 0; i < row_bytes / 2; ++i) {
        if (out[i] > maxval) return Image();
        out[i] = static_cast<WORD>((out[i] * 65535u + maxval / 2) / maxval);
      }
    }
  }
  return picture;
}

}  // namespace pixmera
