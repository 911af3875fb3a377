// The operations through the console face: the real executable converts a
// PhotoCD whose decoded picture is known exactly (a stand-in converter
// hands over a TGA made from the Kodak reference photograph), and the
// result is held against ImageMagick doing the same operations to the same
// photograph.
//
// Tolerance: ImageMagick's Mitchell filter and 16-bit arithmetic differ
// from FreeImage's bicubic filter and 8-bit lookup tables by rounding only;
// measured, the two agree to 0.6 levels on average and 4 levels at worst.
// The test allows a mean of 1.5 and a worst case of 8 levels. A turn the
// wrong way, a missing mirror, brightness or greyscale each put the mean
// between 10 and 60 levels off; the test checks that they stay beyond 5, so
// the tolerance can tell them apart.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/libraries.h"
#include "support/process_runner.h"
#include "test_pictures.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kImageMagick = "/usr/bin/convert";
const std::string kPhotoCd = PIXMERA_TEST_DATA "/pcd/base_only.pcd";
const std::string kPhotograph = PIXMERA_TEST_DATA "/pcd/base_only.png";

constexpr double kMeanTolerance = 1.5;
constexpr int kWorstTolerance = 8;

int worst_difference(const test::RgbRaster& a, const test::RgbRaster& b) {
  int worst = 0;
  for (size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i) {
    worst = std::max({worst, std::abs(a.pixels[i].red - b.pixels[i].red),
                      std::abs(a.pixels[i].green - b.pixels[i].green),
                      std::abs(a.pixels[i].blue - b.pixels[i].blue)});
  }
  return worst;
}

class ConsoleOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kPixmera)) << kPixmera;
    ASSERT_TRUE(fs::exists(kImageMagick)) << "ImageMagick is needed for the comparison";
    quiet_library_warnings();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("pixmera-operations-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder : {"config", "runtime", "out"}) fs::create_directories(root_ / folder);

    // The decoded picture: the photograph as a TGA, read back identical.
    const Image photograph = test::reference_photo("base_only.png");
    ASSERT_TRUE(photograph);
    decoded_ = path("decoded.tga");
    ASSERT_TRUE(FreeImage_Save(FIF_TARGA, photograph.get(), decoded_.c_str(), 0));
    const Image read_back = adopt(FreeImage_Load(FIF_TARGA, decoded_.c_str(), 0));
    ASSERT_TRUE(read_back);
    ASSERT_EQ(test::raster_of(read_back).pixels, test::raster_of(photograph).pixels);

    // Whatever sub-image is asked for, the stand-in leaves the known TGA at
    // the path given last.
    converter_ = path("convert-stand-in");
    std::ofstream(converter_) << "#!/bin/sh\nfor last; do :; done\ncp '" << decoded_
                              << "' \"$last\"\n";
    fs::permissions(converter_, fs::perms::owner_all);
  }

  void TearDown() override {
    if (HasFailure()) {
      std::cout << "pictures kept in " << root_.string() << "\n";
    } else {
      fs::remove_all(root_);
    }
  }

  std::string path(const std::string& name) const { return (root_ / name).string(); }

  test::ProcessResult convert(std::vector<std::string> options) const {
    std::vector<std::string> args = {"-i", kPhotoCd, "-o", path("out") + "/"};
    args.insert(args.end(), options.begin(), options.end());
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", path("config")},
                                                    {"XDG_RUNTIME_DIR", path("runtime")},
                                                    {"PIXMERA_CONVERTER", converter_}};
    return test::run_process(kPixmera, args, env);
  }

  // ImageMagick's version of the same operations on the same photograph.
  test::RgbRaster magick(const std::string& name, const std::vector<std::string>& operations) {
    std::vector<std::string> args = {kPhotograph};
    args.insert(args.end(), operations.begin(), operations.end());
    args.push_back(path(name));
    const test::ProcessResult r = test::run_process(kImageMagick, args);
    EXPECT_EQ(r.exit_status, 0) << r.output;
    const Image picture = adopt(FreeImage_Load(FIF_PNG, path(name).c_str(), 0));
    EXPECT_TRUE(picture) << name;
    return picture ? test::raster_of(picture) : test::RgbRaster{};
  }

  fs::path root_;
  std::string decoded_;
  std::string converter_;
};

TEST_F(ConsoleOperations, TurnHalveMirrorBrightenAndGreyAsImageMagickDoes) {
  const test::ProcessResult r =
      convert({"-q", "--rotation=90", "--width=50", "--width-unit=PERCENT", "--height=50",
               "--height-unit=PERCENT", "--flip-horizontal", "--brightness=10", "--greyscale"});
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::string output = path("out/base_only.tiff");
  const Image converted = adopt(FreeImage_Load(FIF_TIFF, output.c_str(), 0));
  ASSERT_TRUE(converted) << r.output;
  // Turned a quarter: the 768x512 photograph becomes 256x384.
  ASSERT_EQ(width_of(converted), 256);
  ASSERT_EQ(height_of(converted), 384);
  const auto actual = test::raster_of(converted);
  for (const test::Pixel& p : actual.pixels) {
    ASSERT_TRUE(p.red == p.green && p.green == p.blue) << "not grey";
  }

  // FreeImage turns positive angles counter-clockwise, ImageMagick
  // clockwise; its "Mitchell" is FreeImage's bicubic (B = C = 1/3);
  // brightness 10 scales every level by 1.1; greyscale is Rec. 709 luma.
  const std::vector<std::string> same = {"-rotate",  "-90", "-filter",    "Mitchell",
                                         "-resize",  "50%", "-flop",      "-evaluate",
                                         "multiply", "1.1", "-grayscale", "Rec709Luma"};
  const auto expected = magick("expected.png", same);
  const double mean = test::mean_difference(actual, expected);
  const int worst = worst_difference(actual, expected);
  EXPECT_LE(mean, kMeanTolerance);
  EXPECT_LE(worst, kWorstTolerance);
  if (mean > kMeanTolerance || worst > kWorstTolerance) {
    test::run_process("/usr/bin/compare", {output, path("expected.png"), path("difference.png")});
  }

  // Each operation shows: leaving any one out, or turning the other way,
  // is far outside the tolerance.
  struct Variant {
    const char* name;
    std::vector<std::string> operations;
  };
  const Variant variants[] = {
      {"clockwise",
       {"-rotate", "90", "-filter", "Mitchell", "-resize", "50%", "-flop", "-evaluate", "multiply",
        "1.1", "-grayscale", "Rec709Luma"}},
      {"unmirrored",
       {"-rotate", "-90", "-filter", "Mitchell", "-resize", "50%", "-evaluate", "multiply", "1.1",
        "-grayscale", "Rec709Luma"}},
      {"unbrightened",
       {"-rotate", "-90", "-filter", "Mitchell", "-resize", "50%", "-flop", "-grayscale",
        "Rec709Luma"}},
      {"colour",
       {"-rotate", "-90", "-filter", "Mitchell", "-resize", "50%", "-flop", "-evaluate", "multiply",
        "1.1"}},
  };
  for (const Variant& v : variants) {
    const auto other = magick(std::string(v.name) + ".png", v.operations);
    EXPECT_GT(test::mean_difference(actual, other), 5.0) << v.name;
  }
}

// A stray percentage asks for a picture no format can hold: the file fails
// with the usual line and nothing is written.
TEST_F(ConsoleOperations, OversizedResizeFailsTheFile) {
  const test::ProcessResult r = convert(
      {"-d", "--width=100000", "--width-unit=PERCENT", "--height=100000", "--height-unit=PERCENT"});
  EXPECT_NE(r.output.find("[ERROR] Unable to convert the file!"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::is_empty(path("out"))) << r.output;
}

}  // namespace
}  // namespace pixmera
