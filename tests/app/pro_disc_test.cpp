// Pro Photo CD pictures through the whole console conversion with our
// converter, on the trees tests/tools/make_pro_discs.py writes at test time:
// 64Base at full size and quality, upright for every rotation field, in
// either letter case; and every kind of damage to the extension costs the
// picture its 64Base level only.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "support/pictures.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kOurConverter = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
const std::string kDiscs = PIXMERA_PRO_DISCS;
const std::string kUpper = kDiscs + "/upper";

std::vector<char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<char> bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void write_file(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void put32(std::vector<char>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

std::uint32_t get32(const std::vector<char>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// The attribute byte sits in every level's attribute record, in the start of
// each level's attribute sector and in a copy at 0x48; the rotation field is
// its low two bits, the extension bit bit 4.
void set_attribute(std::vector<char>& pcd, int rotation, bool extension) {
  const std::size_t sixteen_base_sector =
      static_cast<std::uint8_t>(pcd[0xE03]) << 8 | static_cast<std::uint8_t>(pcd[0xE04]);
  std::vector<std::size_t> places{0x48, 0xE02, 0x1002, 0x1202, 0x1402, 0x1602};
  for (std::size_t sector :
       {std::size_t{3}, std::size_t{22}, std::size_t{95}, std::size_t{384}, sixteen_base_sector}) {
    places.push_back(sector * 0x800 + 2);
  }
  for (std::size_t at : places) {
    auto byte = static_cast<std::uint8_t>(pcd[at]);
    byte = static_cast<std::uint8_t>((byte & ~0x13) | rotation | (extension ? 0x10 : 0));
    pcd[at] = static_cast<char>(byte);
  }
}

class ProDisc : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_.path() / "out");
    fs::create_directories(folder_.path() / "config");
    fs::create_directories(folder_.path() / "runtime");
  }

  // A disc in the test's folder: the generated upper-case picture with the
  // attribute byte given, and its extension (shared, or a copy to damage).
  enum class Extension { none, shared, copied };
  std::string make_disc(const std::string& name, int rotation, bool extension_bit,
                        Extension extension) const {
    const fs::path root = folder_.path() / name;
    fs::create_directories(root / "IMAGES");
    std::vector<char> pcd = read_file(kUpper + "/IMAGES/IMG0001.PCD");
    set_attribute(pcd, rotation, extension_bit);
    const std::string picture = (root / "IMAGES" / "IMG0001.PCD").string();
    write_file(picture, pcd);
    if (extension == Extension::shared) fs::create_directory_symlink(kUpper + "/IPE", root / "IPE");
    if (extension == Extension::copied) {
      fs::copy(kUpper + "/IPE", root / "IPE", fs::copy_options::recursive);
    }
    return picture;
  }

  std::string extension_file(const std::string& disc_name, const std::string& file) const {
    return (folder_.path() / disc_name / "IPE" / "IMG0001" / "64BASE" / file).string();
  }

  // pixmera -i picture -o out/ [options] with our converter; the TIFF it
  // saved, which is removed from out/.
  Image convert(const std::string& picture, const std::vector<std::string>& options = {}) const {
    std::vector<std::string> arguments{"-i", picture, "-o", folder_.folder() + "out", "-q"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const ProcessResult r = test::run_process(kPixmera, arguments,
                                              {{"XDG_CONFIG_HOME", folder_.file("config")},
                                               {"XDG_RUNTIME_DIR", folder_.file("runtime")},
                                               {"PIXMERA_CONVERTER", kOurConverter}});
    EXPECT_EQ(r.exit_status, 0) << picture << ": " << r.output;
    const std::string stem = fs::path(picture).stem().string();
    const std::string tiff = folder_.file("out/" + stem + ".tiff");
    Image saved = test::load_picture(tiff);
    fs::remove(tiff);
    return saved;
  }

  // Our converter asked for index 6 alone: its exit status (-1 after a
  // crash or a sanitizer's abort), and whether it left any file.
  int convert_index_6(const std::string& picture, bool& left_a_file) const {
    const std::string tga = folder_.file("out/index6.tga");
    const ProcessResult r = test::run_process(
        kOurConverter,
        {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft", picture + "[6]", tga});
    left_a_file = !fs::is_empty(folder_.path() / "out");
    fs::remove(tga);
    return r.exit_status;
  }

  test::TempFolder folder_;
};

// The PSNR of `picture` against the tree's source, checked against the
// generator's own reconstruction's.
double expect_close_to_generator(const Image& picture, const std::string& tree) {
  const Image reference = test::load_picture(kDiscs + "/" + tree + ".reference.tga");
  const Image generator = test::load_picture(kDiscs + "/" + tree + ".generator.tga");
  const double ours = test::psnr(picture, reference);
  const double generators = test::psnr(generator, reference);
  EXPECT_NEAR(ours, generators, 1.0) << tree;
  EXPECT_GT(test::psnr(picture, generator), 45.0) << tree;
  std::cout << "[ psnr ] " << tree << " against the source: 64Base " << ours
            << " dB, generator's own " << generators << " dB\n";
  return ours;
}

TEST_F(ProDisc, SixtyFourBaseIsSavedAtFullSizeAndQuality) {
  const Image full = convert(kUpper + "/IMAGES/IMG0001.PCD");
  ASSERT_EQ(width_of(full), 6144);
  ASSERT_EQ(height_of(full), 4096);
  const double ours = expect_close_to_generator(full, "upper");

  // Without its extension the same file gives 16Base, which scaled up to
  // 64Base's size is clearly worse.
  const Image sixteen = convert(make_disc("alone", 0, true, Extension::none));
  ASSERT_EQ(width_of(sixteen), 3072);
  ASSERT_EQ(height_of(sixteen), 2048);
  const Image upscaled = adopt(FreeImage_Rescale(sixteen.get(), 6144, 4096, FILTER_BICUBIC));
  const double sixteens = test::psnr(upscaled, test::load_picture(kDiscs + "/upper.reference.tga"));
  EXPECT_GT(ours, sixteens + 3.0);
  std::cout << "[ psnr ] upper against the source: 16Base upscaled " << sixteens << " dB\n";
}

TEST_F(ProDisc, SixtyFourBaseAt48BitsIsThe24BitPictureWithFinerSteps) {
  const std::string picture = kUpper + "/IMAGES/IMG0001.PCD";
  const Image deep = convert(picture, {"--tiff-bpp=48"});
  ASSERT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);
  ASSERT_EQ(width_of(deep), 6144);
  ASSERT_EQ(height_of(deep), 4096);
  const Image flat = convert(picture);
  ASSERT_EQ(width_of(flat), 6144);
  int worst = 0;
  for (int y = 0; y < 4096; ++y) {
    const auto* wide = reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(deep.get(), y));
    const BYTE* narrow = FreeImage_GetScanLine(flat.get(), y);
    for (int x = 0; x < 6144; ++x) {
      const int pairs[3][2] = {{wide[x].red, narrow[3 * x + FI_RGBA_RED]},
                               {wide[x].green, narrow[3 * x + FI_RGBA_GREEN]},
                               {wide[x].blue, narrow[3 * x + FI_RGBA_BLUE]}};
      for (const auto& [sixteen, eight] : pairs) {
        worst = std::max(worst, std::abs((sixteen + 128) / 257 - eight));
      }
    }
  }
  EXPECT_LE(worst, 1);
}

TEST_F(ProDisc, EveryRotationFieldComesOutUpright) {
  const Image stored = convert(make_disc("field0", 0, true, Extension::shared));
  ASSERT_EQ(width_of(stored), 6144);
  for (int field = 1; field <= 3; ++field) {
    const Image turned =
        convert(make_disc("field" + std::to_string(field), field, true, Extension::shared));
    // FreeImage turns counter-clockwise, as the field asks.
    const Image expected = adopt(FreeImage_Rotate(stored.get(), 90.0 * field));
    EXPECT_EQ(width_of(turned), field == 2 ? 6144 : 4096) << field;
    EXPECT_TRUE(test::same_pixels(turned, expected)) << "rotation field " << field;
  }
}

TEST_F(ProDisc, LowerCaseDiscWithSplitLumaAndManySequences) {
  // Rotation field 1 (a portrait picture), 16 sequences per row, luma in
  // two files, every name in lower case.
  const Image full = convert(kDiscs + "/lower/images/img0001.pcd");
  ASSERT_EQ(width_of(full), 4096);
  ASSERT_EQ(height_of(full), 6144);
  expect_close_to_generator(full, "lower");
}

// One kind of damage to a copied extension (or to the picture's header).
struct Damage {
  const char* what;
  std::function<void(const std::string& disc)> apply;
};

TEST_F(ProDisc, EachKindOfDamageFallsBackTo16Base) {
  const Image sixteen = convert(make_disc("alone", 0, true, Extension::none));
  ASSERT_EQ(width_of(sixteen), 3072);

  auto info_path = [this](const std::string& disc) { return extension_file(disc, "INFO.IC"); };
  auto change_info = [&](const std::string& disc,
                         const std::function<void(std::vector<char>&)>& f) {
    std::vector<char> info = read_file(info_path(disc));
    f(info);
    write_file(info_path(disc), info);
  };
  // INFO.IC as the generator lays it out: descriptions at 0x40, names at
  // 0x100, tables at 0x800.
  const std::vector<Damage> damages{
      {"Y0001.ICR missing",
       [&](const std::string& d) { fs::remove(extension_file(d, "Y0001.ICR")); }},
      {"C1_0001.ICR cut to half",
       [&](const std::string& d) {
         const std::string c1 = extension_file(d, "C1_0001.ICR");
         fs::resize_file(c1, fs::file_size(c1) / 2);
       }},
      {"INFO.IC cut inside the pointers",
       [&](const std::string& d) { fs::resize_file(info_path(d), 0x3000); }},
      {"INFO.IC states Y0001.ICR one byte longer",
       [&](const std::string& d) {
         change_info(d, [](auto& b) { put32(b, 0x102 + 12, get32(b, 0x102 + 12) + 1); });
       }},
      {"a luma pointer names the next sequence's offset",
       [&](const std::string& d) {
         change_info(d, [](auto& b) {
           const std::size_t pointers = get32(b, 0x40 + 2 + 14);
           put32(b, pointers + 6 * 100 + 2, get32(b, pointers + 6 * 101 + 2));
         });
       }},
      {"two layers", [&](const std::string& d) { change_info(d, [](auto& b) { b[0x41] = 2; }); }},
      {"255 file names",
       [&](const std::string& d) {
         change_info(d, [](auto& b) { b[0x101] = static_cast<char>(255); });
       }},
      {"the luma table claims a 17-bit code",
       [&](const std::string& d) { change_info(d, [](auto& b) { b[0x801] = 16; }); }},
      {"ones over the middle of Y0001.ICR",
       [&](const std::string& d) {
         const std::string y = extension_file(d, "Y0001.ICR");
         std::vector<char> bytes = read_file(y);
         std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2), 64, '\xFF');
         write_file(y, bytes);
       }},
      {"Y0001.ICR is a folder",
       [&](const std::string& d) {
         fs::remove(extension_file(d, "Y0001.ICR"));
         fs::create_directory(extension_file(d, "Y0001.ICR"));
       }},
  };
  for (const Damage& damage : damages) {
    const std::string picture = make_disc("damaged", 0, true, Extension::copied);
    damage.apply("damaged");
    bool left_a_file = true;
    EXPECT_EQ(convert_index_6(picture, left_a_file), 1) << damage.what;
    EXPECT_FALSE(left_a_file) << damage.what;
    const Image saved = convert(picture);
    EXPECT_TRUE(test::same_pixels(saved, sixteen)) << damage.what;
    fs::remove_all(folder_.path() / "damaged");
  }

  // The extension intact, but the header's extension bit clear: index 6 is
  // refused from the header.
  const std::string unmarked = make_disc("unmarked", 0, false, Extension::shared);
  bool left_a_file = true;
  EXPECT_EQ(convert_index_6(unmarked, left_a_file), 1);
  EXPECT_TRUE(test::same_pixels(convert(unmarked), sixteen));
}

}  // namespace
}  // namespace pixmera
