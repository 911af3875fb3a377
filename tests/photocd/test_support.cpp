#include "test_support.h"

#include <FreeImage.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace pixmera::photocd::testing {

std::string pcd_fixture(const std::string& name) {
  return std::string(PIXMERA_TEST_DATA) + "/pcd/" + name;
}

std::string photocd_data(const std::string& name) {
  return std::string(PIXMERA_TEST_DATA) + "/photocd/" + name;
}

std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot open " + path);
  // In one read: a byte at a time takes minutes for the 64Base pictures in
  // the sanitizer build.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw std::runtime_error("cannot read " + path);
  return bytes;
}

RgbImage load_picture(const std::string& path) {
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  FIBITMAP* loaded = FreeImage_Load(format, path.c_str(), 0);
  if (loaded == nullptr) throw std::runtime_error("cannot load " + path);
  FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
  FreeImage_Unload(loaded);
  if (bitmap == nullptr) throw std::runtime_error("cannot convert " + path);

  RgbImage image(static_cast<int>(FreeImage_GetWidth(bitmap)),
                 static_cast<int>(FreeImage_GetHeight(bitmap)));
  for (int y = 0; y < image.height; ++y) {
    // FreeImage keeps rows bottom-up.
    const BYTE* in = FreeImage_GetScanLine(bitmap, image.height - 1 - y);
    std::uint8_t* out = image.row(y);
    for (int x = 0; x < image.width; ++x) {
      out[3 * x] = in[3 * x + FI_RGBA_RED];
      out[3 * x + 1] = in[3 * x + FI_RGBA_GREEN];
      out[3 * x + 2] = in[3 * x + FI_RGBA_BLUE];
    }
  }
  FreeImage_Unload(bitmap);
  return image;
}

void save_picture(const RgbImage& source, const std::string& path) {
  const RgbImage image = as_rgb(source);
  FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
  for (int y = 0; y < image.height; ++y) {
    BYTE* out = FreeImage_GetScanLine(bitmap, image.height - 1 - y);
    const std::uint8_t* in = image.row(y);
    for (int x = 0; x < image.width; ++x) {
      out[3 * x + FI_RGBA_RED] = in[3 * x];
      out[3 * x + FI_RGBA_GREEN] = in[3 * x + 1];
      out[3 * x + FI_RGBA_BLUE] = in[3 * x + 2];
    }
  }
  FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
  FreeImage_Unload(bitmap);
}

RgbImage as_rgb(const RgbImage& image) {
  if (image.order == ChannelOrder::rgb) return image;
  RgbImage out(image.width, image.height, ChannelOrder::rgb);
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    out.pixels[i] = image.pixels[i + 2];
    out.pixels[i + 1] = image.pixels[i + 1];
    out.pixels[i + 2] = image.pixels[i];
  }
  return out;
}

double psnr(const RgbImage& a_in, const RgbImage& b_in) {
  if (a_in.width != b_in.width || a_in.height != b_in.height) return 0.0;
  const RgbImage a = as_rgb(a_in);
  const RgbImage b = as_rgb(b_in);
  double sum = 0.0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = static_cast<double>(a.pixels[i]) - static_cast<double>(b.pixels[i]);
    sum += d * d;
  }
  const double mse = sum / static_cast<double>(a.pixels.size());
  if (mse == 0.0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

RgbImage box_downscale(const RgbImage& image, int factor) {
  RgbImage out(image.width / factor, image.height / factor, image.order);
  const int area = factor * factor;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy) {
          const std::uint8_t* in = image.row(y * factor + dy);
          for (int dx = 0; dx < factor; ++dx) sum += in[3 * (x * factor + dx) + c];
        }
        out.row(y)[3 * x + c] = static_cast<std::uint8_t>((sum + area / 2) / area);
      }
    }
  }
  return out;
}

double brightness_correlation(const RgbImage& a, const RgbImage& b) {
  if (a.width != b.width || a.height != b.height) return -2.0;
  const std::size_t n = static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height);
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double va = (a.pixels[3 * i] + a.pixels[3 * i + 1] + a.pixels[3 * i + 2]) / 3.0;
    const double vb = (b.pixels[3 * i] + b.pixels[3 * i + 1] + b.pixels[3 * i + 2]) / 3.0;
    sa += va;
    sb += vb;
    saa += va * va;
    sbb += vb * vb;
    sab += va * vb;
  }
  const double count = static_cast<double>(n);
  const double covariance = sab / count - (sa / count) * (sb / count);
  const double variance_a = saa / count - (sa / count) * (sa / count);
  const double variance_b = sbb / count - (sb / count) * (sb / count);
  if (variance_a <= 0 || variance_b <= 0) return 0.0;
  return covariance / std::sqrt(variance_a * variance_b);
}

std::string failure_output_dir() {
  const std::string dir = std::string(PIXMERA_BINARY_DIR) + "/test-output/photocd";
  std::filesystem::create_directories(dir);
  return dir;
}

double compare_or_keep(const RgbImage& actual, const RgbImage& reference, double minimum_db,
                       const std::string& stem) {
  const double db = psnr(actual, reference);
  if (db >= minimum_db) return db;
  const std::string dir = failure_output_dir();
  save_picture(actual, dir + "/" + stem + "_actual.png");
  if (actual.width == reference.width && actual.height == reference.height) {
    const RgbImage a = as_rgb(actual);
    RgbImage difference(a.width, a.height);
    // Differences amplified four times around mid-grey, so small errors show.
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
      const int d =
          128 + 4 * (static_cast<int>(a.pixels[i]) - static_cast<int>(reference.pixels[i]));
      difference.pixels[i] = static_cast<std::uint8_t>(d < 0 ? 0 : (d > 255 ? 255 : d));
    }
    save_picture(difference, dir + "/" + stem + "_difference.png");
  }
  return db;
}

}  // namespace pixmera::photocd::testing
