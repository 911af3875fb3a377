// Pictures saved and loaded through the buffered file must be exactly what
// FreeImage's own file handling gives: the formats that seek back to patch
// offsets (TIFF directories, JPEG 2000 boxes, OpenEXR tables) show a position
// kept wrong as different bytes.
#include "imaging/buffered_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/convert_file.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BufferedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("pixmera-buffered-" + std::string(info->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // An empty file, as the conversion step's temporary file is.
  std::string empty_file(const std::string& name) const {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).flush();
    return path.string();
  }

  fs::path dir_;
};

TEST_F(BufferedFile, SavesTheBytesFreeImageWouldSave) {
  const Image picture = test::pattern(397, 211);
  struct Case {
    const char* name;
    FREE_IMAGE_FORMAT format;
    int flags;
    unsigned bpp;
  };
  const std::vector<Case> cases{
      {"none.tif", FIF_TIFF, TIFF_NONE, 24},
      {"lzw.tif", FIF_TIFF, TIFF_LZW, 24},
      {"rgb16.tif", FIF_TIFF, TIFF_DEFLATE, 48},
      {"fax.tif", FIF_TIFF, TIFF_CCITTFAX4, 1},
      {"float.tif", FIF_TIFF, TIFF_NONE, 96},
      {"a.bmp", FIF_BMP, BMP_DEFAULT, 8},
      {"alpha.png", FIF_PNG, PNG_DEFAULT, 32},
      {"a.tga", FIF_TARGA, TARGA_SAVE_RLE, 24},
      {"a.jpg", FIF_JPEG, JPEG_QUALITYGOOD, 24},
      {"a.j2k", FIF_J2K, 0, 24},
      {"a.jp2", FIF_JP2, 0, 24},
      {"a.webp", FIF_WEBP, WEBP_LOSSLESS, 24},
      {"a.hdr", FIF_HDR, 0, 96},
      {"a.gif", FIF_GIF, 0, 8},
      {"a.exr", FIF_EXR, EXR_DEFAULT, 96},
      {"a.ppm", FIF_PPM, PNM_SAVE_RAW, 24},
  };
  // Left out: JPEG XR, which Debian's FreeImage fails to write either way,
  // RLE bitmaps, whose padding bytes FreeImage leaves uninitialised, and
  // Photoshop files, whose writer leaks a block inside FreeImage.
  for (const Case& c : cases) {
    const Image source = test::with_depth(picture, c.bpp);
    ASSERT_TRUE(source) << c.name;
    const fs::path reference = dir_ / (std::string("ref-") + c.name);
    ASSERT_TRUE(FreeImage_Save(c.format, source.get(), reference.c_str(), c.flags)) << c.name;
    const std::string ours = empty_file(c.name);
    ASSERT_TRUE(save_buffered(c.format, source.get(), ours, c.flags)) << c.name;
    const std::string expected = read_all(reference);
    EXPECT_FALSE(expected.empty()) << c.name;
    EXPECT_TRUE(read_all(ours) == expected) << c.name << " differs from FreeImage_Save's file";
  }
}

TEST_F(BufferedFile, LoadsWhatFreeImageLoads) {
  // Larger than the buffer, so the loader reads across refills.
  const Image picture = test::pattern(1024, 700);
  for (const auto& [name, format, flags] :
       {std::tuple{"a.tga", FIF_TARGA, 0}, std::tuple{"b.tga", FIF_TARGA, TARGA_SAVE_RLE},
        std::tuple{"c.tif", FIF_TIFF, TIFF_LZW}, std::tuple{"d.png", FIF_PNG, 0}}) {
    const fs::path path = dir_ / name;
    ASSERT_TRUE(FreeImage_Save(format, picture.get(), path.c_str(), flags)) << name;
    const Image loaded = adopt(load_buffered(format, path.string(), 0));
    ASSERT_TRUE(loaded) << name;
    EXPECT_EQ(test::raster_of(loaded).pixels, test::raster_of(picture).pixels) << name;
  }
  EXPECT_FALSE(load_buffered(FIF_TARGA, (dir_ / "missing.tga").string(), 0));
  // A file of another format is refused, not read as garbage.
  EXPECT_FALSE(load_buffered(FIF_TIFF, (dir_ / "d.png").string(), 0));
}

TEST_F(BufferedFile, ASaveThatCannotReachTheDiskFails) {
  const Image picture = test::pattern(64, 48);
  // Small enough to sit in the buffer until the end: the full device only
  // refuses the final flush.
  if (fs::exists("/dev/full")) {
    EXPECT_FALSE(save_buffered(FIF_TIFF, picture.get(), "/dev/full", TIFF_NONE));
    EXPECT_FALSE(save_buffered(FIF_PPM, picture.get(), "/dev/full", PNM_SAVE_RAW));
  }
  EXPECT_FALSE(save_buffered(FIF_TIFF, picture.get(), (dir_ / "missing.tif").string(), 0));
  EXPECT_FALSE(fs::exists(dir_ / "missing.tif")) << "the target must already exist";
}

// A plain 24-bit TGA as a converter writes it: 18 bytes of header, then
// the rows in BGR order, top-down or bottom-up.
std::string plain_tga(const Image& picture, bool top_down, uint8_t id_length = 0) {
  const unsigned w = FreeImage_GetWidth(picture.get());
  const unsigned h = FreeImage_GetHeight(picture.get());
  std::string bytes(18, '\0');
  bytes[0] = static_cast<char>(id_length);
  bytes[2] = 2;
  bytes[12] = static_cast<char>(w & 0xFF);
  bytes[13] = static_cast<char>(w >> 8);
  bytes[14] = static_cast<char>(h & 0xFF);
  bytes[15] = static_cast<char>(h >> 8);
  bytes[16] = 24;
  bytes[17] = top_down ? 0x20 : 0;
  bytes += std::string(id_length, 'i');
  for (unsigned r = 0; r < h; ++r) {
    const BYTE* line =
        FreeImage_GetScanLine(picture.get(), static_cast<int>(top_down ? h - 1 - r : r));
    bytes.append(reinterpret_cast<const char*>(line), w * 3);
  }
  return bytes;
}

// The converter's TGA read straight to the scan lines is the picture
// FreeImage's reader makes of it, to the byte and in every field the chain
// reads; a TGA of another kind is left to FreeImage.
TEST_F(BufferedFile, PlainTgaLoadsAsFreeImageLoadsIt) {
  for (const auto& [w, h] : {std::pair{1024, 700}, std::pair{397, 211}, std::pair{4, 1}}) {
    const Image picture = test::pattern(w, h);
    for (const bool top_down : {true, false}) {
      const std::string where =
          std::to_string(w) + "x" + std::to_string(h) + (top_down ? " top-down" : " bottom-up");
      const fs::path path = dir_ / "plain.tga";
      std::ofstream(path, std::ios::binary) << plain_tga(picture, top_down);
      std::optional<Image> ours = load_tga24(path.string());
      ASSERT_TRUE(ours && *ours) << where;
      const Image theirs = adopt(FreeImage_Load(FIF_TARGA, path.c_str(), 0));
      ASSERT_TRUE(theirs) << where;
      EXPECT_EQ(test::raster_of(*ours).pixels, test::raster_of(theirs).pixels) << where;
      EXPECT_EQ(test::raster_of(*ours).pixels, test::raster_of(picture).pixels) << where;
      FIBITMAP* const mine = ours->get();
      FIBITMAP* const reference = theirs.get();
      EXPECT_EQ(FreeImage_GetBPP(mine), FreeImage_GetBPP(reference)) << where;
      EXPECT_EQ(FreeImage_GetPitch(mine), FreeImage_GetPitch(reference)) << where;
      EXPECT_EQ(FreeImage_GetDotsPerMeterX(mine), FreeImage_GetDotsPerMeterX(reference)) << where;
      EXPECT_EQ(FreeImage_GetDotsPerMeterY(mine), FreeImage_GetDotsPerMeterY(reference)) << where;
      EXPECT_EQ(FreeImage_GetRedMask(mine), FreeImage_GetRedMask(reference)) << where;
      EXPECT_EQ(FreeImage_GetColorType(mine), FreeImage_GetColorType(reference)) << where;
      EXPECT_EQ(FreeImage_IsTransparent(mine), FreeImage_IsTransparent(reference)) << where;
      for (FREE_IMAGE_MDMODEL model : {FIMD_COMMENTS, FIMD_EXIF_MAIN, FIMD_CUSTOM}) {
        EXPECT_EQ(FreeImage_GetMetadataCount(model, mine),
                  FreeImage_GetMetadataCount(model, reference))
            << where << ", model " << model;
      }
      const Image through_the_step = load_converter_picture(path.string());
      EXPECT_EQ(test::raster_of(through_the_step).pixels, test::raster_of(picture).pixels) << where;
    }
  }

  const Image picture = test::pattern(64, 48);
  const auto refused = [&](const std::string& bytes) {
    const fs::path path = dir_ / "other.tga";
    std::ofstream(path, std::ios::binary) << bytes;
    return !load_tga24(path.string()).has_value();
  };
  EXPECT_TRUE(refused(plain_tga(picture, true, 5))) << "an image ID";
  EXPECT_TRUE(refused(plain_tga(picture, true) + "TRUEVISION-XFILE.")) << "a footer";
  std::string cut = plain_tga(picture, true);
  cut.resize(cut.size() - 1);
  EXPECT_TRUE(refused(cut)) << "a byte short";
  std::string rle = plain_tga(picture, true);
  rle[2] = 10;
  EXPECT_TRUE(refused(rle)) << "run-length coded";
  std::string mirrored = plain_tga(picture, true);
  mirrored[17] = 0x30;
  EXPECT_TRUE(refused(mirrored)) << "right to left";
  EXPECT_TRUE(refused("P6\n64 48\n255\n")) << "no TGA";
}

}  // namespace
}  // namespace pixmera
