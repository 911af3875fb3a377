#include "ico_file.h"

#include <algorithm>

namespace pixmera::artwork {

namespace {

void put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xffff);
  put16(out, value >> 16);
}

// Cairo keeps colours multiplied by their alpha; icons keep them straight.
std::uint32_t straight_bgra(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  if (a == 0) return 0;
  auto channel = [&](int shift) {
    const std::uint32_t c = (argb >> shift) & 0xff;
    return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
  };
  // Little-endian BGRA in the file is 0xAARRGGBB as a 32-bit value.
  return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

// BITMAPINFOHEADER, the colour rows bottom-up, then the 1-bit AND mask
// (rows padded to 32 bits), set where the picture is fully transparent.
std::string dib(const IconPicture& picture) {
  const int n = picture.size;
  const int mask_stride = ((n + 31) / 32) * 4;
  std::string out;
  put32(out, 40);                                 // header size
  put32(out, static_cast<std::uint32_t>(n));      // width
  put32(out, static_cast<std::uint32_t>(2 * n));  // height: colour plus mask
  put16(out, 1);                                  // planes
  put16(out, 32);                                 // bits per pixel
  put32(out, 0);                                  // BI_RGB
  put32(out, static_cast<std::uint32_t>(n * n * 4 + mask_stride * n));
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  for (int y = n - 1; y >= 0; --y) {
    for (int x = 0; x < n; ++x) put32(out, straight_bgra(picture.pixels[y * n + x]));
  }
  for (int y = n - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(mask_stride), '\0');
    for (int x = 0; x < n; ++x) {
      if ((picture.pixels[y * n + x] >> 24) == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    out += row;
  }
  return out;
}

}  // namespace

std::string ico_file(std::span<const IconPicture> pictures) {
  std::vector<std::string> images;
  for (const IconPicture& picture : pictures) {
    if (picture.size < 1 || picture.size > 256) return {};
    if (picture.size == 256) {
      if (picture.png.empty()) return {};
      images.push_back(picture.png);
    } else {
      if (picture.pixels.size() != static_cast<std::size_t>(picture.size) * picture.size) return {};
      images.push_back(dib(picture));
    }
  }
  if (images.empty() || images.size() > 0xffff) return {};

  std::string out;
  put16(out, 0);  // reserved
  put16(out, 1);  // an icon, not a cursor
  put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const unsigned size = static_cast<unsigned>(pictures[i].size);
    out += static_cast<char>(size & 0xff);  // 256 is written as 0
    out += static_cast<char>(size & 0xff);
    out += '\0';  // no palette
    out += '\0';
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::string& image : images) out += image;
  return out;
}

}  // namespace pixmera::artwork
