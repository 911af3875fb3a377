// Pictures for the image-operation tests: the PhotoCD reference photographs
// and patterns made in code, every depth the chain can meet, and readers
// that look at them row by row from the top, as a person would.
#pragma once

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "settings/settings.h"

namespace pixmera::test {

struct Pixel {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Pixel&) const = default;
};

inline void PrintTo(const Pixel& p, std::ostream* out) {
  *out << "(" << p.red << ", " << p.green << ", " << p.blue << ")";
}

// A picture's colours as plain RGB, rows from the top.
struct RgbRaster {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;

  const Pixel& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Any picture FreeImage can bring to 24 bits (palettes, 16 bits per channel
// and 16-bit grey included), read through a 24-bit copy; floating-point pictures
// are clamped to 0..1 and scaled by hand.
inline RgbRaster raster_of(FIBITMAP* bitmap) {
  RgbRaster raster;
  raster.width = static_cast<int>(FreeImage_GetWidth(bitmap));
  raster.height = static_cast<int>(FreeImage_GetHeight(bitmap));
  raster.pixels.resize(static_cast<size_t>(raster.width) * raster.height);
  if (FreeImage_GetImageType(bitmap) == FIT_RGBF) {
    for (int y = 0; y < raster.height; ++y) {
      const auto* line =
          reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(bitmap, raster.height - 1 - y));
      for (int x = 0; x < raster.width; ++x) {
        auto level = [](float v) {
          return static_cast<int>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f));
        };
        raster.pixels[static_cast<size_t>(y) * raster.width + x] =
            Pixel{level(line[x].red), level(line[x].green), level(line[x].blue)};
      }
    }
    return raster;
  }
  Image copy = to_24_bits(adopt(FreeImage_Clone(bitmap)));
  EXPECT_TRUE(copy) << "cannot read a picture of " << FreeImage_GetBPP(bitmap) << " bits";
  if (!copy) return raster;
  for (int y = 0; y < raster.height; ++y) {
    const BYTE* line = FreeImage_GetScanLine(copy.get(), raster.height - 1 - y);
    for (int x = 0; x < raster.width; ++x) {
      const BYTE* p = line + 3 * x;
      raster.pixels[static_cast<size_t>(y) * raster.width + x] =
          Pixel{p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]};
    }
  }
  return raster;
}

inline RgbRaster raster_of(const Image& picture) { return raster_of(picture.get()); }

// The samples of a 16-bit RGB or grey picture, rows from the top: three per
// pixel for RGB, one for grey.
inline std::vector<uint16_t> samples16_of(const Image& picture) {
  std::vector<uint16_t> samples;
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(picture.get());
  EXPECT_TRUE(type == FIT_RGB16 || type == FIT_UINT16) << "type " << type;
  if (type != FIT_RGB16 && type != FIT_UINT16) return samples;
  const int width = width_of(picture);
  const int height = height_of(picture);
  const size_t per_row = static_cast<size_t>(width) * (type == FIT_RGB16 ? 3 : 1);
  for (int y = 0; y < height; ++y) {
    const auto* line =
        reinterpret_cast<const uint16_t*>(FreeImage_GetScanLine(picture.get(), height - 1 - y));
    samples.insert(samples.end(), line, line + per_row);
  }
  return samples;
}

// The alpha of a 32-bit picture at column x, row y from the top.
inline int alpha_at(const Image& picture, int x, int y) {
  const BYTE* line =
      FreeImage_GetScanLine(picture.get(), FreeImage_GetHeight(picture.get()) - 1 - y);
  return line[4 * x + FI_RGBA_ALPHA];
}

// Mean of |a - b| over all channels of two rasters of one size.
inline double mean_difference(const RgbRaster& a, const RgbRaster& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    sum += std::abs(a.pixels[i].red - b.pixels[i].red) +
           std::abs(a.pixels[i].green - b.pixels[i].green) +
           std::abs(a.pixels[i].blue - b.pixels[i].blue);
  }
  return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

// The picture averaged down to a grid of columns x rows cells, so that
// pictures of different sizes can be compared by content.
inline RgbRaster cell_means(const RgbRaster& raster, int columns, int rows) {
  RgbRaster cells;
  cells.width = columns;
  cells.height = rows;
  for (int cy = 0; cy < rows; ++cy) {
    for (int cx = 0; cx < columns; ++cx) {
      const int x0 = cx * raster.width / columns;
      const int x1 = (cx + 1) * raster.width / columns;
      const int y0 = cy * raster.height / rows;
      const int y1 = (cy + 1) * raster.height / rows;
      double red = 0, green = 0, blue = 0;
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
          red += raster.at(x, y).red;
          green += raster.at(x, y).green;
          blue += raster.at(x, y).blue;
        }
      }
      const double count = static_cast<double>(x1 - x0) * (y1 - y0);
      cells.pixels.push_back(Pixel{static_cast<int>(std::lround(red / count)),
                                   static_cast<int>(std::lround(green / count)),
                                   static_cast<int>(std::lround(blue / count))});
    }
  }
  return cells;
}

// One of the PhotoCD reference photographs (768x512 or 512x768) as 24 bits.
inline Image reference_photo(const std::string& name) {
  const std::string path = std::string(PIXMERA_TEST_DATA) + "/pcd/" + name;
  Image picture = adopt(FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT));
  EXPECT_TRUE(picture) << "missing fixture " << path;
  if (picture && FreeImage_GetBPP(picture.get()) != 24) picture = to_24_bits(std::move(picture));
  return picture;
}

// The Kodak photograph scaled (pixel replication) to the size of a 16Base
// scan; `portrait` turns it a quarter first, giving 2048x3072.
inline Image photo_16base(bool portrait = false) {
  Image picture = reference_photo("base_only.png");
  if (!picture) return picture;
  if (portrait) {
    picture = adopt(FreeImage_Rotate(picture.get(), 90.0, nullptr));
    if (!picture) return picture;
  }
  const int width = portrait ? 2048 : 3072;
  const int height = portrait ? 3072 : 2048;
  return adopt(FreeImage_Rescale(picture.get(), width, height, FILTER_BOX));
}

// A 24-bit pattern that differs in both directions, so every turn and
// mirror shows: red grows left to right, green top to bottom, and the top
// left quarter is bluer than the rest.
inline Image pattern(int width, int height) {
  Image picture = adopt(FreeImage_Allocate(width, height, 24));
  for (int y = 0; y < height; ++y) {
    BYTE* line = FreeImage_GetScanLine(picture.get(), height - 1 - y);
    for (int x = 0; x < width; ++x) {
      BYTE* p = line + 3 * x;
      p[FI_RGBA_RED] = static_cast<BYTE>(width > 1 ? x * 255 / (width - 1) : 0);
      p[FI_RGBA_GREEN] = static_cast<BYTE>(height > 1 ? y * 255 / (height - 1) : 0);
      p[FI_RGBA_BLUE] = static_cast<BYTE>(x < width / 2 && y < height / 2 ? 220 : 30);
    }
  }
  return picture;
}

// A picture of the given depth made from a 24-bit one: 1 bit dithered, 4 and
// 8 bits palettised or grey, 16 bits 5-6-5, 32 bits with alpha, 48 bits as
// 16-bit RGB, 96 bits as floating-point RGB.
inline Image with_depth(const Image& source, unsigned bpp) {
  FIBITMAP* s = source.get();
  switch (bpp) {
    case 1:
      return adopt(FreeImage_Dither(s, FID_FS));
    case 4:
      return adopt(FreeImage_ConvertTo4Bits(s));
    case 8:
      return adopt(FreeImage_ConvertTo8Bits(s));
    case 16:
      return adopt(FreeImage_ConvertTo16Bits565(s));
    case 24:
      return adopt(FreeImage_Clone(s));
    case 32:
      return adopt(FreeImage_ConvertTo32Bits(s));
    case 48:
      return adopt(FreeImage_ConvertToRGB16(s));
    case 96:
      return adopt(FreeImage_ConvertToRGBF(s));
    default:
      return Image{};
  }
}

// Every test starts from the console defaults.
class OperationTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_settings(g_settings, true); }
  void TearDown() override { reset_settings(g_settings, true); }
};

}  // namespace pixmera::test
