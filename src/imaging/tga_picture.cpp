// The plain 24-bit TGA a converter leaves: uncompressed, no colour map, no
// image ID, no footer, rows top-down or bottom-up. FreeImage's reader takes
// such a file a row at a time through its handle and then turns a top-down
// picture over with FreeImage_FlipVertical, a second pass over every byte of
// a picture that has just been written; here the rows are read straight to
// the scan lines they belong to. The picture is the one FreeImage makes
// (same allocation, same bytes); any other TGA is left to FreeImage.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/convert_file.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pixmera {

namespace {

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr size_t kHeaderBytes = 18;
constexpr uint8_t kUncompressedTrueColour = 2;
constexpr uint8_t kTopDown = 0x20;
// Rows are read this many at a time.
constexpr int kRowsPerRead = 64;

unsigned little16(const std::array<uint8_t, kHeaderBytes>& h, size_t at) {
  return static_cast<unsigned>(h[at] | h[at + 1] << 8);
}

}  // namespace

std::optional<Image> load_tga24(const std::string& path) {
  const std::unique_ptr<std::FILE, FileClose> file(open_file(path, "rb"));
  if (!file) return std::nullopt;
  std::array<uint8_t, kHeaderBytes> h{};
  if (std::fread(h.data(), 1, h.size(), file.get()) != h.size()) return std::nullopt;
  const unsigned width = little16(h, 12);
  const unsigned height = little16(h, 14);
  // ID length, colour map type, image type; the colour map fields and the
  // origin all zero; 24 bits a pixel; a descriptor without alpha bits,
  // right-to-left order or interleaving.
  const bool plain = h[0] == 0 && h[1] == 0 && h[2] == kUncompressedTrueColour &&
                     std::all_of(h.begin() + 3, h.begin() + 12, [](uint8_t b) { return b == 0; }) &&
                     width != 0 && height != 0 && h[16] == 24 && (h[17] & ~kTopDown) == 0;
  if (!plain) return std::nullopt;
  const size_t row_bytes = static_cast<size_t>(width) * 3;
  std::error_code error;
  const auto size = std::filesystem::file_size(file_system_path(path), error);
  if (error || size != kHeaderBytes + row_bytes * height) return std::nullopt;

  const auto w = static_cast<int>(width);
  const auto rows = static_cast<int>(height);
  Image picture = adopt(
      FreeImage_Allocate(w, rows, 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
  if (!picture) return Image();
  const bool top_down = (h[17] & kTopDown) != 0;
  // FreeImage's scan lines run bottom-up. Where they follow each other
  // without padding, a run of the file's rows lands in one block of memory:
  // in order for a bottom-up file, last row first for a top-down one, put
  // right by swapping rows within the block.
  if (FreeImage_GetPitch(picture.get()) == row_bytes) {
    std::vector<uint8_t> spare(row_bytes);
    for (int first = 0; first < rows; first += kRowsPerRead) {
      const int n = std::min(kRowsPerRead, rows - first);
      BYTE* block = FreeImage_GetScanLine(picture.get(), top_down ? rows - first - n : first);
      const size_t bytes = row_bytes * static_cast<size_t>(n);
      if (std::fread(block, 1, bytes, file.get()) != bytes) return Image();
      if (!top_down) continue;
      for (int i = 0; i < n / 2; ++i) {
        BYTE* a = block + row_bytes * static_cast<size_t>(i);
        BYTE* b = block + row_bytes * static_cast<size_t>(n - 1 - i);
        std::copy_n(a, row_bytes, spare.data());
        std::copy_n(b, row_bytes, a);
        std::copy_n(spare.data(), row_bytes, b);
      }
    }
    return picture;
  }
  for (int y = 0; y < rows; ++y) {
    BYTE* line = FreeImage_GetScanLine(picture.get(), top_down ? rows - 1 - y : y);
    if (std::fread(line, 1, row_bytes, file.get()) != row_bytes) return Image();
  }
  return picture;
}

}  // namespace pixmera
