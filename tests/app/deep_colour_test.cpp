// 48-bit conversions with real 16-bit samples, and the Image Pac's own
// record in the TIFF: the real executable, its converter, ImageMagick, and
// information blocks written by the fixtures' generator or made hostile.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/pictures.h"
#include "support/process_runner.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kOurConverter = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
const std::string kFixtures = PIXMERA_TEST_DATA "/pcd/";
// The source photograph of kodak_16base.pcd at 16 bits per channel, the
// 256x256 region at (2816, 1792) of its 3072x2048 picture (see the
// references' README).
const std::string kRegionReference =
    PIXMERA_TEST_DATA "/photocd/references/kodak_16base_16bit_region.png";
constexpr int kRegionX = 2816;
constexpr int kRegionY = 1792;
constexpr int kRegionSide = 256;

// The samples of a 16-bit RGB picture, or of an 8-bit one scaled by 257,
// rows from the top, three per pixel.
struct Samples {
  int width = 0;
  int height = 0;
  std::vector<int> values;
  int at(int x, int y, int channel) const {
    return values[(static_cast<size_t>(y) * width + x) * 3 + channel];
  }
};

Samples samples_of(const Image& picture) {
  Samples s;
  s.width = width_of(picture);
  s.height = height_of(picture);
  const bool deep = FreeImage_GetImageType(picture.get()) == FIT_RGB16;
  const Image colour = deep ? Image() : test::rgb24(picture);
  for (int y = 0; y < s.height; ++y) {
    if (deep) {
      const auto* row =
          reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(picture.get(), s.height - 1 - y));
      for (int x = 0; x < s.width; ++x) {
        s.values.insert(s.values.end(), {row[x].red, row[x].green, row[x].blue});
      }
    } else {
      const BYTE* row = FreeImage_GetScanLine(colour.get(), s.height - 1 - y);
      for (int x = 0; x < s.width; ++x) {
        s.values.insert(s.values.end(),
                        {row[3 * x + FI_RGBA_RED] * 257, row[3 * x + FI_RGBA_GREEN] * 257,
                         row[3 * x + FI_RGBA_BLUE] * 257});
      }
    }
  }
  return s;
}

// PSNR on the 16-bit scale of a region of `picture` against `reference`.
double region_psnr(const Samples& picture, const Samples& reference, int left, int top) {
  double sum = 0;
  for (int y = 0; y < reference.height; ++y) {
    for (int x = 0; x < reference.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const double d = picture.at(left + x, top + y, c) - reference.at(x, y, c);
        sum += d * d;
      }
    }
  }
  const double mse = sum / (3.0 * reference.width * reference.height);
  return 10.0 * std::log10(65535.0 * 65535.0 / mse);
}

// How many different levels each channel holds in a square region.
std::array<size_t, 3> levels_in_region(const Samples& picture, int left, int top, int side) {
  std::array<size_t, 3> counts{};
  for (int c = 0; c < 3; ++c) {
    std::set<int> levels;
    for (int y = top; y < top + side; ++y) {
      for (int x = left; x < left + side; ++x) levels.insert(picture.at(x, y, c));
    }
    counts[c] = levels.size();
  }
  return counts;
}

// tiffinfo's listing of a file, its warnings left out.
std::string tiffinfo(const std::string& path) {
  const ProcessResult r =
      test::run_process("/bin/sh", {"-c", "tiffinfo '" + path + "' 2>/dev/null"});
  return r.output;
}

// The text after "  <tag>: " in a tiffinfo listing, up to the line's end.
std::string tag_line(const std::string& listing, const std::string& tag) {
  const std::string key = "  " + tag + ": ";
  const size_t at = listing.find(key);
  if (at == std::string::npos) return "<absent>";
  const size_t start = at + key.size();
  return listing.substr(start, listing.find('\n', start) - start);
}

class DeepColour : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("pixmera-deep-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder : {"config", "runtime", "out24", "out48", "bin"}) {
      fs::create_directories(root_ / folder);
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string path(const std::string& name) const { return (root_ / name).string(); }

  ProcessResult convert(const std::string& input, const std::string& out, int bpp,
                        const std::string& converter = kOurConverter) const {
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", path("config")},
                                                    {"XDG_RUNTIME_DIR", path("runtime")},
                                                    {"PIXMERA_CONVERTER", converter}};
    return test::run_process(
        kPixmera, {"-i", input, "-o", path(out), "-q", "--tiff-bpp=" + std::to_string(bpp)}, env);
  }

  fs::path root_;
};

TEST_F(DeepColour, SixteenBaseAt48BitsHoldsTheStepsThe24BitTiffRoundsAway) {
  const std::string input = kFixtures + "kodak_16base.pcd";
  ProcessResult r = convert(input, "out24", 24);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  r = convert(input, "out48", 48);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::string tiff24 = path("out24/kodak_16base.tiff");
  const std::string tiff48 = path("out48/kodak_16base.tiff");
  const Image deep = test::load_picture(tiff48);
  const Image flat = test::load_picture(tiff24);
  ASSERT_TRUE(deep);
  ASSERT_TRUE(flat);
  EXPECT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);
  EXPECT_EQ(bpp_of(flat), 24u);
  ASSERT_EQ(width_of(deep), 3072);
  ASSERT_EQ(height_of(deep), 2048);

  // More than 256 levels per channel where 8 bits can hold at most 256 and
  // the 24-bit file holds fewer.
  const Samples deep_samples = samples_of(deep);
  const Samples flat_samples = samples_of(flat);
  const auto deep_levels = levels_in_region(deep_samples, kRegionX, kRegionY, kRegionSide);
  const auto flat_levels = levels_in_region(flat_samples, kRegionX, kRegionY, kRegionSide);
  for (int c = 0; c < 3; ++c) {
    EXPECT_GT(deep_levels[c], 256u) << "channel " << c;
    EXPECT_LT(flat_levels[c], 256u) << "channel " << c;
  }

  // Closer to the source photograph at 16 bits than the 24-bit file.
  const Image reference = test::load_picture(kRegionReference);
  ASSERT_TRUE(reference);
  ASSERT_EQ(FreeImage_GetImageType(reference.get()), FIT_RGB16);
  const Samples reference_samples = samples_of(reference);
  const double deep_psnr = region_psnr(deep_samples, reference_samples, kRegionX, kRegionY);
  const double flat_psnr = region_psnr(flat_samples, reference_samples, kRegionX, kRegionY);
  EXPECT_GT(deep_psnr, flat_psnr + 0.2) << deep_psnr << " dB against " << flat_psnr << " dB";

  // Upright: the same scene as the upright reference, and the same
  // picture as the 24-bit file to within one 8-bit level.
  const Image upright = test::load_picture(kFixtures + "kodak_16base.png");
  EXPECT_GT(test::luminance_correlation(test::scaled(deep, 768, 512), upright), 0.97);
  int worst = 0;
  for (size_t i = 0; i < deep_samples.values.size(); ++i) {
    worst = std::max(worst, std::abs(deep_samples.values[i] - flat_samples.values[i]));
  }
  EXPECT_LE(worst, 257 + 128);

  // The 24-bit file's pixels are the converter's 24-bit picture itself.
  const std::string tga = path("direct.tga");
  ASSERT_EQ(test::run_process(kOurConverter, {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft",
                                              input + "[5]", tga})
                .exit_status,
            0);
  EXPECT_TRUE(test::same_pixels(flat, test::load_picture(tga)));
  EXPECT_TRUE(fs::is_empty(path("config") + "/Varnelo/pixmera"));
}

TEST_F(DeepColour, ImageMagickConvertsAt48Bits) {
  if (!fs::exists("/usr/bin/convert")) GTEST_SKIP() << "ImageMagick is not installed";
  // Index 6 gives a stretched 6144x2048 picture, the second run asks for 5.
  const ProcessResult r = convert(kFixtures + "photo_16base.pcd", "out48", 48, "/usr/bin/convert");
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const Image deep = test::load_picture(path("out48/photo_16base.tiff"));
  ASSERT_TRUE(deep);
  EXPECT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);
  EXPECT_EQ(width_of(deep), 3072);
  // ImageMagick's 16-bit picture, not an 8-bit one widened: most samples
  // lie between two 8-bit levels.
  const Samples samples = samples_of(deep);
  size_t between = 0;
  for (const int v : samples.values) between += v % 257 != 0 ? 1 : 0;
  EXPECT_GT(between, samples.values.size() / 2);
  const Image upright = test::load_picture(kFixtures + "photo_16base.png");
  EXPECT_GT(test::luminance_correlation(test::scaled(deep, 768, 512), upright), 0.95);
}

// A converter that ignores "-depth 16" and writes a TGA into the .ppm name
// still gives a picture: the step reads the file by its content.
TEST_F(DeepColour, ConverterThatWritesATgaAnywayStillConverts) {
  const std::string log = path("converter.log");
  const std::string script = path("bin/convert-tga-only");
  std::ofstream(script) << "#!/bin/sh\necho \"$#:$6:$7:$9\" >> '" << log << "'\n'" << kOurConverter
                        << "' -quiet -colorspace sRGB -orient TopLeft \"$8\" \"$9.tga\" || exit 1\n"
                           "mv \"$9.tga\" \"$9\"\n";
  fs::permissions(script, fs::perms::owner_all);
  const ProcessResult r = convert(kFixtures + "base_only.pcd", "out48", 48, script);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  std::ifstream in(log);
  std::string first_call;
  std::getline(in, first_call);
  EXPECT_TRUE(first_call.starts_with("9:-depth:16:")) << first_call;
  EXPECT_TRUE(first_call.ends_with("/base_only.ppm")) << first_call;

  const Image deep = test::load_picture(path("out48/base_only.tiff"));
  ASSERT_TRUE(deep);
  EXPECT_EQ(FreeImage_GetImageType(deep.get()), FIT_RGB16);
  const std::string tga = path("direct.tga");
  ASSERT_EQ(test::run_process(kOurConverter, {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft",
                                              kFixtures + "base_only.pcd[3]", tga})
                .exit_status,
            0);
  EXPECT_TRUE(test::same_pixels(deep, test::load_picture(tga)));
}

TEST_F(DeepColour, TheScanRecordReachesTheTiffTags) {
  // scan_record.pcd: written by tests/tools/mkpcd.py with a full block.
  const ProcessResult r = convert(kFixtures + "scan_record.pcd", "out24", 24);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::string tiff = path("out24/scan_record.tiff");
  const std::string listing = tiffinfo(tiff);
  EXPECT_EQ(tag_line(listing, "DateTime"), "1994:05:17 10:30:00") << listing;
  EXPECT_EQ(tag_line(listing, "Make"), "KODAK");
  EXPECT_EQ(tag_line(listing, "Model"), "FilmScanner 2000");
  // Software names the program that wrote the file; the scanner's software
  // is in the XMP record.
  EXPECT_EQ(tag_line(listing, "Software"), "Varnelo PCD to TIFF 3.1");
  EXPECT_EQ(tag_line(listing, "ImageDescription"), "Kodak Photo CD, colour negative, film term 52");
  EXPECT_EQ(tag_line(listing, "Copyright"), "Restrictions apply, see COPYRGHT.TXT on the disc");
  for (const char* field :
       {"<photocd:ScanTime>1994-05-17T10:30:00Z</photocd:ScanTime>",
        "<photocd:LastModified>1994-05-18T10:30:00Z</photocd:LastModified>",
        "<photocd:Medium>colour negative</photocd:Medium>",
        "<photocd:ScannerSerialNumber>F2K-0042</photocd:ScannerSerialNumber>",
        "<photocd:ScannerSoftware>FilmScanner 2000 2.15</photocd:ScannerSoftware>",
        "<photocd:ScannerPixelSize>11.70 micrometres</photocd:ScannerPixelSize>",
        "<photocd:WorkstationMake>KODAK PIW 4200</photocd:WorkstationMake>",
        "<photocd:PhotoFinisher>Varnelo Photo Lab &amp; Studio</photocd:PhotoFinisher>",
        "<photocd:SceneBalanceCommand>neutral and colour balance on</photocd:SceneBalanceCommand>",
        "<photocd:FilmTerm>52</photocd:FilmTerm>",
        "<photocd:CopyrightStatus>restrictions apply</photocd:CopyrightStatus>",
        "<photocd:CopyrightFile>COPYRGHT.TXT</photocd:CopyrightFile>"}) {
    EXPECT_NE(listing.find(field), std::string::npos) << field;
  }
  // The file's own time still follows "File Timestamp" (now, by default),
  // not the scan time.
  const auto age = fs::file_time_type::clock::now() - fs::last_write_time(tiff);
  EXPECT_LT(std::chrono::abs(age), std::chrono::hours(1));

  // At 48 bits the same record, on a TIFF of 16-bit samples.
  ASSERT_EQ(convert(kFixtures + "scan_record.pcd", "out48", 48).exit_status, 0);
  const std::string deep = tiffinfo(path("out48/scan_record.tiff"));
  EXPECT_EQ(tag_line(deep, "Bits/Sample"), "16");
  EXPECT_EQ(tag_line(deep, "Make"), "KODAK");
}

// Every byte of the block random (strings without ends, times out of
// range, codes outside their lists): the picture still converts and
// nothing but printable text reaches the file.
TEST_F(DeepColour, HostileInformationBlocksNeverReachTheTags) {
  std::ifstream in(kFixtures + "base_only.pcd", std::ios::binary);
  const std::vector<char> original((std::istreambuf_iterator<char>(in)), {});
  std::mt19937 random(1014);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    std::vector<char> bytes = original;
    // Past the signature up to the attribute records.
    for (size_t i = 0x807; i < 0xE00; ++i) bytes[i] = static_cast<char>(random() & 0xFF);
    // Times just before 1990, in the future and unset; then random ones.
    const uint32_t times[] = {631151999, 0xF0000000u, 0xFFFFFFFFu};
    if (round < 3) {
      for (size_t at : {0x80Du, 0x811u}) {
        for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(times[round] >> (24 - 8 * b));
      }
    }
    const std::string input = path("hostile.pcd");
    std::ofstream(input, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    const ProcessResult r = convert(input, "out24", 24);
    ASSERT_EQ(r.exit_status, 0) << r.output;
    const std::string tiff = path("out24/hostile.tiff");
    const Image picture = test::load_picture(tiff);
    ASSERT_TRUE(picture);
    EXPECT_EQ(width_of(picture), 768);

    const std::string listing = tiffinfo(tiff);
    const size_t xmp = listing.find("XMLPacket");
    ASSERT_NE(xmp, std::string::npos);
    for (const char* tag : {"DateTime", "Make", "Model", "Software", "ImageDescription"}) {
      const std::string value = tag_line(listing, tag);
      for (const char c : value) {
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << tag << ": " << static_cast<int>(c);
      }
    }
    if (round < 3) {
      EXPECT_EQ(tag_line(listing, "DateTime"), "<absent>");
      EXPECT_EQ(listing.find("photocd:ScanTime"), std::string::npos);
    }
    for (size_t i = xmp; i < listing.size(); ++i) {
      const char c = listing[i];
      EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << static_cast<int>(c);
    }
    EXPECT_TRUE(listing.find("<photocd:") == std::string::npos ||
                listing.find("</rdf:Description>") != std::string::npos);
  }
}

}  // namespace
}  // namespace pixmera
