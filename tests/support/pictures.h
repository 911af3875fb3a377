// Picture helpers for tests: loading, comparing and measuring pictures.
#pragma once

#include <FreeImage.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

#include "imaging/image.h"

namespace pixmera::test {

inline Image load_picture(const std::string& path) {
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) return Image();
  return adopt(FreeImage_Load(format, path.c_str(), 0));
}

inline Image rgb24(const Image& picture) {
  return picture ? adopt(FreeImage_ConvertTo24Bits(picture.get())) : Image();
}

inline Image scaled(const Image& picture, int width, int height) {
  return adopt(FreeImage_Rescale(picture.get(), width, height, FILTER_BOX));
}

// Peak signal-to-noise ratio in dB over the colour channels of two
// same-sized pictures; 99 when they are identical, -1 when sizes differ.
inline double psnr(const Image& a_in, const Image& b_in) {
  const Image a = rgb24(a_in);
  const Image b = rgb24(b_in);
  if (!a || !b || width_of(a) != width_of(b) || height_of(a) != height_of(b)) return -1.0;
  double sum = 0.0;
  for (int y = 0; y < height_of(a); ++y) {
    const BYTE* ra = FreeImage_GetScanLine(a.get(), y);
    const BYTE* rb = FreeImage_GetScanLine(b.get(), y);
    for (int i = 0; i < width_of(a) * 3; ++i) {
      const double d = static_cast<double>(ra[i]) - rb[i];
      sum += d * d;
    }
  }
  const double mse = sum / (static_cast<double>(width_of(a)) * height_of(a) * 3.0);
  return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// Pearson correlation of the luminance of two same-sized pictures: close to
// 1 when they show the same scene the same way up, whatever the colour
// scale; near 0 or negative when one is turned or mirrored.
inline double luminance_correlation(const Image& a_in, const Image& b_in) {
  const Image a = rgb24(a_in);
  const Image b = rgb24(b_in);
  if (!a || !b || width_of(a) != width_of(b) || height_of(a) != height_of(b)) return -2.0;
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  const double n = static_cast<double>(width_of(a)) * height_of(a);
  for (int y = 0; y < height_of(a); ++y) {
    const BYTE* ra = FreeImage_GetScanLine(a.get(), y);
    const BYTE* rb = FreeImage_GetScanLine(b.get(), y);
    for (int x = 0; x < width_of(a); ++x) {
      const double la = 0.299 * ra[3 * x + 2] + 0.587 * ra[3 * x + 1] + 0.114 * ra[3 * x];
      const double lb = 0.299 * rb[3 * x + 2] + 0.587 * rb[3 * x + 1] + 0.114 * rb[3 * x];
      sa += la;
      sb += lb;
      saa += la * la;
      sbb += lb * lb;
      sab += la * lb;
    }
  }
  const double cov = sab / n - (sa / n) * (sb / n);
  const double va = saa / n - (sa / n) * (sa / n);
  const double vb = sbb / n - (sb / n) * (sb / n);
  return (va <= 0 || vb <= 0) ? 0.0 : cov / std::sqrt(va * vb);
}

// True when both pictures have the same size and every pixel's red, green
// and blue are equal.
inline bool same_pixels(const Image& a_in, const Image& b_in) { return psnr(a_in, b_in) == 99.0; }

// The value of a TIFF tag of the first directory (SHORT or LONG), -1 when the
// file has no such tag.
inline long tiff_tag(const std::string& path, uint16_t wanted) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[8];
  if (!in.read(reinterpret_cast<char*>(head), 8)) return -1;
  const bool little = head[0] == 'I';
  auto u16 = [&](const unsigned char* p) { return little ? p[0] | p[1] << 8 : p[0] << 8 | p[1]; };
  auto u32 = [&](const unsigned char* p) -> uint32_t {
    return little ? (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24)
                  : (static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]);
  };
  in.seekg(u32(head + 4));
  unsigned char count_bytes[2];
  if (!in.read(reinterpret_cast<char*>(count_bytes), 2)) return -1;
  const int count = u16(count_bytes);
  for (int i = 0; i < count; ++i) {
    unsigned char entry[12];
    if (!in.read(reinterpret_cast<char*>(entry), 12)) return -1;
    if (u16(entry) != wanted) continue;
    return u16(entry + 2) == 3 ? u16(entry + 8) : static_cast<long>(u32(entry + 8));
  }
  return -1;
}

}  // namespace pixmera::test
