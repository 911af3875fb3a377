// The Windows application icon: the .ico the artwork program writes holds
// the application picture at every size Windows asks for, each one the same
// drawing as the Linux icons, in the layout Windows' icon readers expect
// (DIBs bottom-up with straight alpha and an AND mask, PNG at 256 px).

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../../artwork/ico_file.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"

namespace {

using pixmera::artwork::ico_file;
using pixmera::artwork::IconPicture;
using pixmera::test::read_bytes;
using pixmera::test::run_process;
using pixmera::test::TempFolder;

const std::string kBuildIcons = std::string(PIXMERA_BINARY_DIR) + "/share/icons/hicolor";

std::uint32_t u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b.at(at)) | static_cast<unsigned char>(b.at(at + 1)) << 8;
}
std::uint32_t u32(const std::string& b, std::size_t at) {
  return u16(b, at) | u16(b, at + 2) << 16;
}

struct Entry {
  int size;
  std::string data;
};

// Reads the directory of an .ico, checking each entry lies inside the file.
std::vector<Entry> read_ico(const std::string& ico) {
  std::vector<Entry> entries;
  if (ico.size() < 6 || u16(ico, 0) != 0 || u16(ico, 2) != 1) {
    ADD_FAILURE() << "no icon directory";
    return entries;
  }
  const std::size_t count = u16(ico, 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + 16 * i;
    const int width = static_cast<unsigned char>(ico.at(at));
    const int height = static_cast<unsigned char>(ico.at(at + 1));
    EXPECT_EQ(width, height) << "entry " << i;
    EXPECT_EQ(u16(ico, at + 4), 1u) << "planes of entry " << i;
    EXPECT_EQ(u16(ico, at + 6), 32u) << "depth of entry " << i;
    const std::size_t length = u32(ico, at + 8), offset = u32(ico, at + 12);
    if (offset < 6 + 16 * count || offset > ico.size() || length > ico.size() - offset) {
      ADD_FAILURE() << "entry " << i << " lies outside the file";
      return {};
    }
    entries.push_back({width == 0 ? 256 : width, ico.substr(offset, length)});
  }
  return entries;
}

// The picture of a PNG as premultiplied ARGB, top row first.
std::vector<std::uint32_t> png_pixels(const std::string& path, int size) {
  std::vector<std::uint32_t> pixels;
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
      cairo_image_surface_get_width(surface) == size &&
      cairo_image_surface_get_height(surface) == size) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      pixels.insert(pixels.end(), row, row + size);
    }
  }
  cairo_surface_destroy(surface);
  return pixels;
}

// A DIB entry decoded back to premultiplied ARGB, top row first, checking
// its header and that the AND mask marks exactly the transparent pixels.
std::vector<std::uint32_t> dib_pixels(const std::string& dib, int size) {
  std::vector<std::uint32_t> pixels;
  const std::size_t mask_stride = ((static_cast<std::size_t>(size) + 31) / 32) * 4;
  const std::size_t colour_bytes = static_cast<std::size_t>(size) * size * 4;
  if (dib.size() != 40 + colour_bytes + mask_stride * size || u32(dib, 0) != 40 ||
      u32(dib, 4) != static_cast<std::uint32_t>(size) ||
      u32(dib, 8) != static_cast<std::uint32_t>(2 * size) || u16(dib, 14) != 32 ||
      u32(dib, 16) != 0) {
    ADD_FAILURE() << "the " << size << " px DIB has a wrong header or length";
    return pixels;
  }
  pixels.resize(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    const std::size_t file_row = static_cast<std::size_t>(size - 1 - y);  // bottom-up
    for (int x = 0; x < size; ++x) {
      const std::uint32_t bgra = u32(dib, 40 + (file_row * size + x) * 4);
      const std::uint32_t a = bgra >> 24;
      auto premultiply = [&](int shift) { return (((bgra >> shift) & 0xff) * a + 127) / 255; };
      pixels[y * size + x] = a << 24 | premultiply(16) << 16 | premultiply(8) << 8 | premultiply(0);
      const unsigned char mask_byte =
          static_cast<unsigned char>(dib[40 + colour_bytes + file_row * mask_stride + x / 8]);
      const bool masked = (mask_byte & (0x80 >> (x % 8))) != 0;
      EXPECT_EQ(masked, a == 0) << size << " px mask at " << x << "," << y;
    }
  }
  return pixels;
}

int channel_difference(std::uint32_t p, std::uint32_t q) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((p >> shift) & 0xff) -
                                     static_cast<int>((q >> shift) & 0xff)));
  }
  return worst;
}

TEST(WindowsIcon, HoldsTheApplicationPictureAtEverySizeWindowsAsksFor) {
  TempFolder folder;
  const std::string ico_path = folder.file("pixmera.ico");
  const auto result = run_process(PIXMERA_DRAW_THEME, {"--ico", ico_path});
  ASSERT_EQ(result.exit_status, 0) << result.output;
  const std::vector<Entry> entries = read_ico(read_bytes(ico_path));
  const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
  ASSERT_EQ(entries.size(), std::size(sizes));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].size, sizes[i]);
    if (sizes[i] == 256) continue;
    const auto pixels = dib_pixels(entries[i].data, sizes[i]);
    ASSERT_FALSE(pixels.empty());
    int opaque = 0, clear = 0;
    for (std::uint32_t p : pixels) {
      opaque += (p >> 24) == 0xff;
      clear += (p >> 24) == 0;
    }
    EXPECT_GT(opaque, sizes[i] * sizes[i] / 4) << sizes[i] << " px";
    EXPECT_GT(clear, 0) << sizes[i] << " px";
  }

  // The large picture is the PNG of the Linux 256 px icon, byte for byte;
  // the 48 and 128 px DIBs are the Linux 48 and 128 px pictures, up to the
  // rounding of taking the alpha out and back in.
  EXPECT_TRUE(entries.back().data == read_bytes(kBuildIcons + "/256x256/apps/pixmera.png"));
  for (std::size_t i : {std::size_t{3}, std::size_t{5}}) {
    const int size = entries[i].size;
    const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
    const auto expected = png_pixels(kBuildIcons + "/" + dimension + "/apps/pixmera.png", size);
    const auto actual = dib_pixels(entries[i].data, size);
    ASSERT_EQ(expected.size(), actual.size()) << dimension;
    int worst = 0;
    for (std::size_t p = 0; p < expected.size(); ++p) {
      worst = std::max(worst, channel_difference(expected[p], actual[p]));
    }
    EXPECT_LE(worst, 1) << dimension;
  }
}

TEST(WindowsIcon, StoresStraightColoursBottomUpWithTheirMask) {
  // 2x2: top row half-transparent red and clear, bottom row opaque green and
  // blue. Premultiplied 0x80800000 is straight red at alpha 128.
  const IconPicture picture{2, {0x80800000, 0x00000000, 0xff00ff00, 0xff0000ff}, {}};
  const std::string ico = ico_file(std::span(&picture, 1));
  const std::vector<Entry> entries = read_ico(ico);
  ASSERT_EQ(entries.size(), 1u);
  const std::string& dib = entries[0].data;
  ASSERT_EQ(dib.size(), 40u + 16u + 8u);
  // The bottom row comes first in the file.
  EXPECT_EQ(u32(dib, 40), 0xff00ff00u);
  EXPECT_EQ(u32(dib, 44), 0xff0000ffu);
  EXPECT_EQ(u32(dib, 48), 0x80ff0000u);
  EXPECT_EQ(u32(dib, 52), 0x00000000u);
  // Mask rows, bottom first: nothing masked below, the clear pixel above.
  EXPECT_EQ(static_cast<unsigned char>(dib[56]), 0x00);
  EXPECT_EQ(static_cast<unsigned char>(dib[60]), 0x40);
}

TEST(WindowsIcon, RefusesPicturesItCannotStore) {
  const IconPicture short_pixels{4, std::vector<std::uint32_t>(15), {}};
  EXPECT_TRUE(ico_file(std::span(&short_pixels, 1)).empty());
  const IconPicture large_without_png{256, std::vector<std::uint32_t>(256 * 256), {}};
  EXPECT_TRUE(ico_file(std::span(&large_without_png, 1)).empty());
  const IconPicture too_large{512, std::vector<std::uint32_t>(512 * 512), "png"};
  EXPECT_TRUE(ico_file(std::span(&too_large, 1)).empty());
  EXPECT_TRUE(ico_file({}).empty());
}

}  // namespace
