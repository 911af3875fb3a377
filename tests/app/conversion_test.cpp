// End-to-end console conversions: the real executable, real fixtures, and
// stand-in converters that behave well or badly on purpose.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/catalogue.h"
#include "support/pictures.h"
#include "support/process_runner.h"
#include "util/text.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kOurConverter = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
const std::string kFixtures = PIXMERA_TEST_DATA "/pcd/";

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Conversion : public testing::Test {
 protected:
  void SetUp() override {
    build_catalogue();
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("pixmera-conversion-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "runtime");
    fs::create_directories(root_ / "out");
    fs::create_directories(root_ / "bin");
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string path(const std::string& name) const { return (root_ / name).string(); }
  std::string out() const { return path("out") + "/"; }
  std::string config_folder() const { return path("config") + "/Varnelo/pixmera/"; }
  std::string log() const { return path("converter.log"); }

  // A converter stand-in: a shell script that logs the "<input>[n]" it was
  // given and then runs `body` with $6 = "<input>[n]" and $7 = the TGA path.
  std::string stand_in(const std::string& body) const {
    const std::string script = path("bin/convert-stand-in");
    std::ofstream(script) << "#!/bin/sh\necho \"$6\" >> '" << log() << "'\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return script;
  }

  std::vector<std::string> converter_calls() const {
    const std::string text = read_text(log());
    if (text.empty()) return {};
    return split(text.substr(0, text.size() - 1), '\n');
  }

  ProcessResult run(const std::vector<std::string>& args, const std::string& converter,
                    const std::map<std::string, std::string>& extra = {}) const {
    std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", path("config")},
                                              {"XDG_RUNTIME_DIR", path("runtime")},
                                              {"PIXMERA_CONVERTER", converter}};
    for (const auto& [name, value] : extra) env[name] = value;
    return test::run_process(kPixmera, args, env);
  }

  // Files left in a folder, the lock file aside.
  static std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with(".lock")) names.push_back(name);
    }
    return names;
  }

  // A 24-bit picture with a different colour in each corner region, so a
  // turned or mirrored result cannot pass for the original.
  static Image pattern(int width, int height) {
    Image picture = adopt(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
      BYTE* row = FreeImage_GetScanLine(picture.get(), height - 1 - y);
      for (int x = 0; x < width; ++x) {
        row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x * 255 / width);
        row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(y * 255 / height);
        row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x / 64 + y / 64) % 2 ? 200 : 20);
      }
    }
    return picture;
  }

  std::string save_tga(const std::string& name, int width, int height) const {
    const std::string file = path(name);
    const Image picture = pattern(width, height);
    EXPECT_TRUE(FreeImage_Save(FIF_TARGA, picture.get(), file.c_str(), 0));
    return file;
  }

  fs::path root_;
};

TEST_F(Conversion, StandInPictureIsSavedLosslessly) {
  const std::string tga = save_tga("decoded.tga", 3072, 2048);
  const std::string converter = stand_in("cp '" + tga + "' \"$7\"");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter);
  EXPECT_EQ(r.exit_status, 0) << r.output;
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(converter_calls(), std::vector<std::string>{kFixtures + "base_only.pcd[6]"});

  const std::string tiff = out() + "base_only.tiff";
  const Image saved = test::load_picture(tiff);
  ASSERT_TRUE(saved);
  EXPECT_EQ(FreeImage_GetFileType(tiff.c_str(), 0), FIF_TIFF);
  EXPECT_TRUE(test::same_pixels(saved, test::load_picture(tga)));
  EXPECT_EQ(test::tiff_tag(tiff, 259), 1);  // TIFF_NONE: no compression
  EXPECT_TRUE(files_in(config_folder()).empty());
  EXPECT_EQ(files_in(out()), std::vector<std::string>{"base_only.tiff"});
}

TEST_F(Conversion, SaveFlagsReachTheFile) {
  const std::string tga = save_tga("decoded.tga", 300, 200);
  const std::string converter = stand_in("cp '" + tga + "' \"$7\"");
  const ProcessResult r = run(
      {"-i", kFixtures + "base_only.pcd", "-o", out(), "-q", "--tiff-compression=lzw"}, converter);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  EXPECT_EQ(test::tiff_tag(out() + "base_only.tiff", 259), 5);  // LZW
  EXPECT_TRUE(
      test::same_pixels(test::load_picture(out() + "base_only.tiff"), test::load_picture(tga)));
}

TEST_F(Conversion, StretchedPictureIsConvertedAgainAtItsLevel) {
  // 3072x1024 has the ratio 3.0 and the short side 1024: index 4 is asked for.
  const std::string wide = save_tga("wide.tga", 3072, 1024);
  const std::string level4 = save_tga("level4.tga", 1536, 1024);
  const std::string converter =
      stand_in("case \"$6\" in\n  *'[6]') cp '" + wide + "' \"$7\";;\n  *'[4]') cp '" + level4 +
               "' \"$7\";;\nesac");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::string input = kFixtures + "base_only.pcd";
  EXPECT_EQ(converter_calls(), (std::vector<std::string>{input + "[6]", input + "[4]"}));
  EXPECT_TRUE(
      test::same_pixels(test::load_picture(out() + "base_only.tiff"), test::load_picture(level4)));
}

TEST_F(Conversion, EveryIndexIsTriedUntilOneLeavesAPicture) {
  const std::string tga = save_tga("decoded.tga", 768, 512);
  const std::string converter = stand_in("case \"$6\" in *'[2]') cp '" + tga + "' \"$7\";; esac");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::vector<std::string> calls = converter_calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_TRUE(calls.front().ends_with("[6]"));
  EXPECT_TRUE(calls.back().ends_with("[2]"));
}

TEST_F(Conversion, HangingConverterIsKilledAndTheFallbackDecodes) {
  const std::string converter = stand_in("echo partial > \"$7\"; exec sleep 60");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter,
                              {{"PIXMERA_CONVERTER_TIMEOUT", "1"}});
  EXPECT_EQ(r.exit_status, 0) << r.output;
  // Each of the seven attempts timed out and its half-written file was
  // removed, so FreeImage's loader decoded the Base image.
  EXPECT_EQ(converter_calls().size(), 7u);
  const Image saved = test::load_picture(out() + "base_only.tiff");
  ASSERT_TRUE(saved);
  EXPECT_EQ(width_of(saved), 768);
  EXPECT_EQ(height_of(saved), 512);
  EXPECT_TRUE(files_in(config_folder()).empty());
}

// A crash is no missing sub-image: asking for the next one down (or taking
// the loader's Base image) would save a smaller picture as if all were
// well, so the file fails with the signal and its half-written picture is
// removed.
TEST_F(Conversion, CrashingConverterCountsAsFailed) {
  const std::string converter = stand_in("echo partial > \"$7\"; kill -SEGV $$");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter);
  EXPECT_EQ(r.exit_status, 1) << r.output;
  EXPECT_NE(r.output.find("pixmera: base_only.pcd: cannot decode the picture: " + converter +
                          " was ended by signal 11\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(converter_calls().size(), 1u);
  EXPECT_TRUE(files_in(out()).empty());
  EXPECT_TRUE(files_in(config_folder()).empty());
}

TEST_F(Conversion, EmptyPictureFallsBackToThePhotoCdLoader) {
  const std::string converter = stand_in(": > \"$7\"");
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, converter);
  EXPECT_EQ(r.exit_status, 0) << r.output;
  // The empty file counts as the converter's answer: one run only.
  EXPECT_EQ(converter_calls().size(), 1u);
  EXPECT_EQ(width_of(test::load_picture(out() + "base_only.tiff")), 768);
}

TEST_F(Conversion, GarbagePictureFailsTheFile) {
  const std::string converter = stand_in("yes this-is-not-a-picture | head -c 5000 > \"$7\"");
  const ProcessResult r =
      run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q", "-d"}, converter);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.output.find("[ERROR] Unable to convert the file!"), std::string::npos) << r.output;
  EXPECT_TRUE(files_in(out()).empty());
  EXPECT_TRUE(files_in(config_folder()).empty());
}

TEST_F(Conversion, WithoutAConverterFreeImageDecodesUpright) {
  const std::string none = path("bin/no-such-converter");
  for (const auto& [name, width, height] :
       {std::tuple{"base_only", 768, 512}, std::tuple{"photo_portrait_16base", 512, 768},
        std::tuple{"photo_16base", 768, 512}}) {
    const ProcessResult r = run({"-i", kFixtures + name + ".pcd", "-o", out(), "-q"}, none);
    ASSERT_EQ(r.exit_status, 0) << name << r.output;
    const Image saved = test::load_picture(out() + name + ".tiff");
    ASSERT_EQ(width_of(saved), width) << name;
    ASSERT_EQ(height_of(saved), height) << name;
    // FreeImage assumes the other colour scale, so compare the picture's
    // structure, which a flip or a turn destroys.
    const Image reference = test::load_picture(kFixtures + name + ".png");
    EXPECT_GT(test::luminance_correlation(saved, reference), 0.9) << name;
  }
}

TEST_F(Conversion, FilesThatAreNoPhotoCdFailCleanly) {
  const std::string none = path("bin/no-such-converter");
  for (const char* name : {"not_a_pcd.pcd", "header_only.pcd"}) {
    const ProcessResult r = run({"-i", kFixtures + name, "-o", out(), "-d"}, none);
    EXPECT_EQ(r.exit_status, 1) << name;
    EXPECT_NE(r.output.find("[ERROR] Unable to convert the file!"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(catalogue_text("Msg", "Conversion is not complete")),
              std::string::npos);
  }
  // A point-cloud file shares the extension.
  const std::string cloud = path("cloud.pcd");
  std::ofstream(cloud) << "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\nFIELDS x y z\n"
                          "SIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH 1\nHEIGHT 1\nPOINTS 1\n"
                          "DATA ascii\n0 0 0\n";
  const ProcessResult r = run({"-i", cloud, "-o", out(), "-q"}, none);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(files_in(out()), std::vector<std::string>{});
}

TEST_F(Conversion, BadInputsAndFoldersStopTheJob) {
  const std::string none = path("bin/no-such-converter");
  const std::string input = kFixtures + "base_only.pcd";
  fs::create_directories(path("folder.pcd"));
  std::ofstream(path("plain-file")) << "x";
  fs::create_directories(path("locked"));
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"-i", path("missing.pcd")}, "Error: Invalid input file"},
      {{"-i", kFixtures + "empty.pcd"}, "Error: Invalid input file"},
      {{"-i", path("folder.pcd")}, "Error: Invalid input file"},
      {{"-i", path("plain-file")}, "Error: Invalid input file"},
      {{"-i", input, "-o", path("no/such/folder")}, "Error: Invalid output folder"},
      {{"-i", input, "-o", path("plain-file")}, "Error: Invalid output folder"},
      {{"-i", input, "-o", "../up"}, "Error: Incorrect output folder"},
      {{"-i", input, "-o", out(), "-c", "jpg"}, "Error: Invalid conversion type"},
      {{"-i", input, "-o", out(), "-c", "TIFF"}, "Error: Invalid conversion type"},
      {{"-i", input, "-o", out(), "--tiff-bpp=16"}, "Error: Invalid tiff-bpp value"},
      {{"-i", input, "-o", out(), "--width=0"}, "Error: Invalid width value"},
      {{"-i", input, "-o", out(), "--height=0", "--width=5"}, "Error: Invalid height value"},
      {{"-i", input, "-o", out(), "--brightness=101"}, "Error: Invalid brightness value"},
      {{"-i", input, "-o", out(), "--contrast=-101"}, "Error: Invalid contrast value"},
      {{"-i", input, "-o", out(), "--gamma=10"}, "Error: Invalid gamma value"},
      {{"-i", input, "-o", out(), "--gamma=NaN"}, "Error: Invalid gamma value"},
      {{"-i", input, "-o", out(), "--wm-image=" + path("missing.png")},
       "Error: Invalid watermark image"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("-q");
    const ProcessResult r = run(args, none);
    EXPECT_EQ(r.exit_status, 1) << c.error;
    EXPECT_EQ(r.output, std::string(c.error) + "\n") << args[1];
  }
  EXPECT_TRUE(files_in(out()).empty());
  EXPECT_TRUE(files_in(config_folder()).empty());
}

TEST_F(Conversion, UnwritableOutputFolderFailsTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string locked = path("locked");
  fs::create_directories(locked);
  ::chmod(locked.c_str(), 0500);
  const ProcessResult r =
      run({"-i", kFixtures + "base_only.pcd", "-o", locked, "-q"}, path("bin/none"));
  ::chmod(locked.c_str(), 0700);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(files_in(locked).empty());
}

TEST_F(Conversion, NameTheFileSystemRefusesFailsTheFile) {
  // A name longer than any file system allows: the picture is encoded, the
  // rename into place fails, and nothing is left in the output folder.
  const ProcessResult r = run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q",
                               "--filename-mask=" + std::string(300, 'x') + ".%ext%"},
                              path("bin/none"));
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(files_in(out()).empty());
  EXPECT_TRUE(files_in(config_folder()).empty());
}

TEST_F(Conversion, ListFilesAreNotConverted) {
  std::ofstream(path("files.lst")) << kFixtures << "base_only.pcd\n";
  const ProcessResult r = run({"-i", path("files.lst"), "-o", out()}, path("bin/none"));
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.output.find(catalogue_text("Msg", "Empty input files")), std::string::npos);
}

TEST_F(Conversion, NeverWritesOverTheInput) {
  const std::string input = path("scan.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", input);
  const ProcessResult r =
      run({"-i", input, "--filename-mask=%filename%.pcd", "-q"}, path("bin/none"));
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(fs::file_size(input), fs::file_size(kFixtures + "base_only.pcd"));
  EXPECT_EQ(test::psnr(test::load_picture(input), test::load_picture(kFixtures + "base_only.pcd")),
            99.0);
}

TEST_F(Conversion, FailedSaveKeepsTheOlderFile) {
  // A mask naming a folder: the save cannot replace it, and nothing else is
  // left behind.
  fs::create_directories(out() + "base_only.tiff");
  const ProcessResult r =
      run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, path("bin/none"));
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(fs::is_directory(out() + "base_only.tiff"));
  EXPECT_EQ(files_in(out()), std::vector<std::string>{"base_only.tiff"});
}

TEST_F(Conversion, WithoutOutputFolderTheTiffGoesBesideTheInput) {
  const std::string input = path("beside.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", input);
  std::map<std::string, std::string> env;
  const ProcessResult r = run({"-i", input, "-q"}, path("bin/none"));
  EXPECT_EQ(r.exit_status, 0) << r.output;
  EXPECT_TRUE(fs::exists(path("beside.tiff")));
}

TEST_F(Conversion, TimestampsFollowTheSetting) {
  const std::string input = path("dated.pcd");
  fs::copy_file(kFixtures + "base_only.pcd", input);
  const struct timespec times[2] = {{0, UTIME_OMIT}, {946684800, 0}};  // 2000-01-01
  ASSERT_EQ(::utimensat(AT_FDCWD, input.c_str(), times, 0), 0);
  auto modified = [](const std::string& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return static_cast<long>(st.st_mtim.tv_sec);
  };
  ASSERT_EQ(run({"-i", input, "-o", out(), "-q", "--file-timestamp=original"}, path("bin/none"))
                .exit_status,
            0);
  EXPECT_EQ(modified(out() + "dated.tiff"), 946684800);
  ASSERT_EQ(run({"-i", input, "-o", out(), "-q", "--file-timestamp=CUSTOM",
                 "--file-timestamp-custom=1000000000"},
                path("bin/none"))
                .exit_status,
            0);
  EXPECT_EQ(modified(out() + "dated.tiff"), 1000000000);
}

TEST_F(Conversion, DebugListingAndReportLines) {
  const std::string tga = save_tga("decoded.tga", 96, 64);
  const std::string converter = stand_in("cp '" + tga + "' \"$7\"");
  const std::string input = kFixtures + "base_only.pcd";
  const ProcessResult r = run({"-i", input, "-o", out(), "-d", "--rotation=90", "--width=50",
                               "--width-unit=percent", "--height=40", "--brightness=-5",
                               "--fr-solid-left=3", "--filename-mask=%filename%_%n%.%ext%"},
                              converter);
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const std::vector<std::string> expected = {
      "Varnelo PCD to TIFF 3.1",
      "Copyright (c) Varnelo Software. All rights reserved.",
      "https://www.varnelo.example/pixmera/",
      " ",
      catalogue_text("General", "Preparing"),
      "Input: " + input,
      "Output: " + out(),
      "Conversion: tiff",
      "TIFF BPP: 0",
      "TIFF Compression: NONE",
      "TIFF Color Mode: RGB",
      "Image Rotation Type: SIMPLE",
      "Image Rotation: 90",
      "Image Rotation Back Color: 000000",
      "Width: 50 PERCENT",
      "Height: 40 PIXELS",
      "Keep Aspect Ratio: 0",
      "Image Resize Type: ALLIMAGES",
      "Image Resize Algorithm: BICUBIC",
      "Flip Horizontal: 0",
      "Flip Vertical: 0",
      "Brightness: -5",
      "Contrast: 0",
      "Gamma: 1.000000",
      "Invert: 0",
      "Greyscale: 0",
      "Image Threshold: 0",
      "Image Dithering Algorithm: FS",
      "Frame: SOLID",
      "Frame left: 3",
      "Frame right: 0",
      "Frame top: 0",
      "Frame bottom: 0",
      "Frame left color: 000000",
      "Frame right color: 000000",
      "Frame top color: 000000",
      "Frame bottom color: 000000",
      "Frame opacity: 255",
      "Watermark: NONE",
      "Filename Mask: %filename%_%n%.%ext%",
      "File Timestamp: CURRENT",
      "Keep Subfolders: 1",
      catalogue_text("General", "Importing"),
      format_placeholders(catalogue_text("Msg", "Import complete"), "1"),
      catalogue_text("General", "Converting"),
      "Processing: " + input,
      "File Format: [ERROR] UNRECOGNIZED",
      "[OK] Saving As: " + out() + "base_only_00001.tiff",
      catalogue_text("Msg", "Conversion complete"),
      format_placeholders(catalogue_text("Msg", "Files converted"), "1", "1"),
  };
  EXPECT_EQ(split(r.output.substr(0, r.output.size() - 1), '\n'), expected);
}

TEST_F(Conversion, ImageMagickDecodes16BaseThroughTheSecondConversion) {
  if (!fs::exists("/usr/bin/convert")) GTEST_SKIP() << "ImageMagick is not installed";
  // ImageMagick answers index 6 of a 16Base pack with a 6144x2048 picture;
  // the aspect check asks again for index 5.
  const ProcessResult r =
      run({"-i", kFixtures + "photo_16base.pcd", "-o", out(), "-q"}, "/usr/bin/convert");
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const Image saved = test::load_picture(out() + "photo_16base.tiff");
  ASSERT_EQ(width_of(saved), 3072);
  ASSERT_EQ(height_of(saved), 2048);
  const Image reference = test::load_picture(kFixtures + "photo_16base.png");
  EXPECT_GT(test::luminance_correlation(test::scaled(saved, 768, 512), reference), 0.9);

  const ProcessResult base =
      run({"-i", kFixtures + "base_only.pcd", "-o", out(), "-q"}, "/usr/bin/convert");
  ASSERT_EQ(base.exit_status, 0) << base.output;
  const Image base_saved = test::load_picture(out() + "base_only.tiff");
  ASSERT_TRUE(base_saved);
  EXPECT_GT(test::luminance_correlation(test::scaled(base_saved, 768, 512),
                                        test::load_picture(kFixtures + "base_only.png")),
            0.9);
}

TEST_F(Conversion, OurConverterGivesTheFullPictureInTrueColours) {
  ASSERT_TRUE(fs::exists(kOurConverter)) << "the PhotoCD converter is built with the program";
  // An unset PIXMERA_CONVERTER leads to the converter in the private folder.
  const ProcessResult r = run({"-i", kFixtures + "kodak_16base.pcd", "-o", out(), "-q"}, "<unset>");
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const Image saved = test::load_picture(out() + "kodak_16base.tiff");
  ASSERT_EQ(width_of(saved), 3072);
  ASSERT_EQ(height_of(saved), 2048);
  const Image reference = test::load_picture(kFixtures + "kodak_16base.png");
  EXPECT_GT(test::psnr(test::scaled(saved, 768, 512), reference), 30.0);
}

TEST_F(Conversion, CutPackConvertsAtTheLevelStillThere) {
  ASSERT_TRUE(fs::exists(kOurConverter));
  // The 16Base rows stop half way: index 5 fails, index 4 is whole.
  const ProcessResult r = run({"-i", kFixtures + "truncated.pcd", "-o", out(), "-q"}, "<unset>");
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const Image saved = test::load_picture(out() + "truncated.tiff");
  EXPECT_EQ(width_of(saved), 1536);
  EXPECT_EQ(height_of(saved), 1024);
  EXPECT_TRUE(files_in(config_folder()).empty());
}

TEST_F(Conversion, UpsideDownScanComesOutUpright) {
  ASSERT_TRUE(fs::exists(kOurConverter));
  const ProcessResult r =
      run({"-i", kFixtures + "kodak_rot180_16base.pcd", "-o", out(), "-q"}, "<unset>");
  ASSERT_EQ(r.exit_status, 0) << r.output;
  const Image saved = test::load_picture(out() + "kodak_rot180_16base.tiff");
  ASSERT_EQ(width_of(saved), 3072);
  const Image reference = test::load_picture(kFixtures + "kodak_rot180_16base.png");
  EXPECT_GT(test::psnr(test::scaled(saved, 768, 512), reference), 30.0);
}

TEST_F(Conversion, RelativeOutputFolderIsTakenFromTheProgramFolder) {
  const std::string name = "relative-out-" + std::to_string(::getpid());
  const fs::path beside_program = fs::path(PIXMERA_BINARY_DIR) / "bin" / name;
  fs::create_directories(beside_program);
  for (const std::string& given : {name, "./" + name}) {
    const ProcessResult r =
        run({"-i", kFixtures + "base_only.pcd", "-o", given, "-q"}, path("bin/none"));
    EXPECT_EQ(r.exit_status, 0) << given << r.output;
    EXPECT_TRUE(fs::exists(beside_program / "base_only.tiff")) << given;
    fs::remove(beside_program / "base_only.tiff");
  }
  fs::remove_all(beside_program);
}

}  // namespace
}  // namespace pixmera
