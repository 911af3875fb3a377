// The converter program end to end: spawned with the argument vectors the
// conversion step uses, checked by its exit status and the files it leaves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "photocd/convert/run_convert.h"
#include "photocd/decoder.h"
#include "photocd/tga_writer.h"
#include "test_support.h"

extern char** environ;

namespace pixmera::photocd {
namespace {

namespace fs = std::filesystem;
using testing::pcd_fixture;
using testing::read_bytes;

int run_program(const std::vector<std::string>& arguments) {
  std::vector<std::string> all{PIXMERA_CONVERT_PROGRAM};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The conversion step gives the converter no terminal; neither do we.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> step_arguments(const std::string& input, const std::string& output,
                                        bool orient = true) {
  std::vector<std::string> a{"-quiet", "-colorspace", "sRGB"};
  if (orient) {
    a.push_back("-orient");
    a.push_back("TopLeft");
  }
  a.push_back(input);
  a.push_back(output);
  return a;
}

class ConvertProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(testing::failure_output_dir()).parent_path() / "convert-program" / info->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  // Everything in the test's folder, temporary files included.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    return names;
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

// The TGA as the program wrote it, checked against the library's decode.
void expect_tga_of(const std::string& tga_path, const std::string& pcd_path, Level level, int width,
                   int height) {
  const auto file = read_bytes(tga_path);
  ASSERT_EQ(file.size(), tga_header_bytes + static_cast<std::size_t>(width) * height * 3)
      << tga_path;
  const auto header = tga_header(width, height);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin())) << tga_path;
  EXPECT_EQ(file[17] & 0x20, 0x20) << "top-left origin bit";

  const DecodeResult decoded = decode_image_pac(read_bytes(pcd_path), level, ChannelOrder::bgr);
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(std::equal(decoded.image.pixels.begin(), decoded.image.pixels.end(),
                         file.begin() + tga_header_bytes))
      << tga_path;
  // FreeImage, which the conversion step loads the TGA with, must see the
  // same picture the same way up.
  EXPECT_EQ(testing::load_picture(tga_path).pixels, testing::as_rgb(decoded.image).pixels)
      << tga_path;
}

TEST_F(ConvertProgram, WritesTheRequestedLevelAsTopDownTga) {
  struct Case {
    std::string input;  // copied into the test folder under this name
    std::string fixture;
    std::string index;  // appended to the input path
    bool orient;
    Level level;
    int width;
    int height;
  };
  const std::vector<Case> cases{
      {"a.pcd", "kodak_rot180_16base.pcd", "[4]", true, Level::four_base, 1536, 1024},
      {"p.pcd", "photo_portrait_16base.pcd", "[5]", false, Level::sixteen_base, 2048, 3072},
      {"base.pcd", "base_only.pcd", "", true, Level::base, 768, 512},
      // Brackets inside the path are part of it.
      {"scan [2] of [3].pcd", "photo_4base.pcd", "[2]", true, Level::base_over_4, 384, 256},
      {"b[7]", "base_only.pcd", "[0]", true, Level::base_over_16, 192, 128},
  };
  for (const Case& c : cases) {
    fs::copy_file(pcd_fixture(c.fixture), path(c.input));
    const std::string output = path(c.input + ".tga");
    std::ofstream(output) << "an earlier output, to be replaced";
    ASSERT_EQ(run_program(step_arguments(path(c.input) + c.index, output, c.orient)), 0) << c.input;
    expect_tga_of(output, path(c.input), c.level, c.width, c.height);
  }
  EXPECT_EQ(leftovers().size(), 2 * cases.size()) << "nothing but inputs and outputs";
}

// "-depth 16": a binary PPM at maxval 65535, each sample the 8-bit one's
// value to within the one rounding the 8-bit picture has and this has not,
// upright at every turn the header asks for.
TEST_F(ConvertProgram, DepthSixteenWritesA16BitPpmOfTheSamePicture) {
  struct Case {
    const char* fixture;
    const char* index;
    int width;
    int height;
  };
  for (const Case& c : {Case{"kodak_rot180_16base.pcd", "[3]", 768, 512},
                        Case{"photo_portrait_16base.pcd", "[4]", 1024, 1536},
                        Case{"kodak_16base.pcd", "[2]", 384, 256}}) {
    const std::string input = pcd_fixture(c.fixture) + c.index;
    const std::string tga = path("out.tga");
    const std::string ppm = path("out.ppm");
    ASSERT_EQ(run_program(step_arguments(input, tga)), 0) << input;
    std::vector<std::string> deep = step_arguments(input, ppm);
    deep.insert(deep.end() - 2, {"-depth", "16"});
    ASSERT_EQ(run_program(deep), 0) << input;

    const auto file = read_bytes(ppm);
    const std::string header =
        "P6\n" + std::to_string(c.width) + " " + std::to_string(c.height) + "\n65535\n";
    ASSERT_EQ(file.size(), header.size() + static_cast<std::size_t>(c.width) * c.height * 6);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin())) << input;
    const RgbImage flat = testing::load_picture(tga);
    int worst = 0;
    std::size_t between_levels = 0;
    for (std::size_t i = 0; i < flat.pixels.size(); ++i) {
      const int sample = file[header.size() + 2 * i] << 8 | file[header.size() + 2 * i + 1];
      worst = std::max(worst, std::abs(sample - flat.pixels[i] * 257));
      between_levels += sample % 257 != 0 ? 1 : 0;
    }
    EXPECT_LE(worst, 257 / 2 + 1) << input;
    EXPECT_GT(between_levels, flat.pixels.size() / 2) << input;
  }
  // Without "-depth 16" a .ppm is refused, and with it a .tga.
  const std::string input = pcd_fixture("base_only.pcd") + "[3]";
  EXPECT_EQ(run_program(step_arguments(input, path("x.ppm"))), 2);
  std::vector<std::string> deep_tga = step_arguments(input, path("x.tga"));
  deep_tga.insert(deep_tga.end() - 2, {"-depth", "16"});
  EXPECT_EQ(run_program(deep_tga), 2);
  EXPECT_EQ(leftovers().size(), 2u);
}

// "-depth 32": the same picture as "-depth 16" in floats, bottom row first
// as PFM stores it, and not clipped: the fixture coded 1.35 times brighter
// keeps its highlights above 1.0.
TEST_F(ConvertProgram, DepthThirtyTwoWritesTheUnclippedPictureAsAPfm) {
  const std::string input = pcd_fixture("kodak_gain_base.pcd") + "[3]";
  std::vector<std::string> deep = step_arguments(input, path("out.ppm"));
  deep.insert(deep.end() - 2, {"-depth", "16"});
  ASSERT_EQ(run_program(deep), 0);
  std::vector<std::string> floats = step_arguments(input, path("out.pfm"));
  floats.insert(floats.end() - 2, {"-depth", "32"});
  ASSERT_EQ(run_program(floats), 0);

  const auto ppm = read_bytes(path("out.ppm"));
  const auto pfm = read_bytes(path("out.pfm"));
  const std::string header = "PF\n768 512\n-1.0\n";
  ASSERT_EQ(pfm.size(), header.size() + 768 * 512 * 12);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), pfm.begin()));
  const std::size_t ppm_start = ppm.size() - 768 * 512 * 6;
  float brightest = 0;
  for (int y = 0; y < 512; ++y) {
    for (int i = 0; i < 768 * 3; ++i) {
      float value = 0;
      std::memcpy(&value, &pfm[header.size() + (static_cast<std::size_t>(511 - y) * 2304 + i) * 4],
                  sizeof value);
      const std::size_t at = ppm_start + (static_cast<std::size_t>(y) * 2304 + i) * 2;
      const int sample = ppm[at] << 8 | ppm[at + 1];
      const float held = std::clamp(value, 0.0f, 1.0f) * 65535.0f;
      ASSERT_NEAR(held, static_cast<float>(sample), 0.51f) << y << " " << i;
      brightest = std::max(brightest, value);
    }
  }
  EXPECT_GT(brightest, 1.2f);
  // A .pfm only with "-depth 32", and "-depth 32" only to a .pfm.
  EXPECT_EQ(run_program(step_arguments(input, path("x.pfm"))), 2);
  floats.back() = path("x.ppm");
  EXPECT_EQ(run_program(floats), 2);
  EXPECT_EQ(leftovers().size(), 2u);
}

TEST_F(ConvertProgram, FailuresExitOneAndLeaveNoFile) {
  struct Case {
    const char* file;
    std::vector<int> failing;
  };
  const std::vector<Case> cases{
      {"base_only.pcd", {4, 5, 6}},
      {"photo_4base.pcd", {5, 6, 9}},
      {"truncated.pcd", {5, 6}},
      {"kodak_16base.pcd", {6, 7, 12}},
      {"header_only.pcd", {0, 1, 2, 3, 4, 5, 6}},
      {"not_a_pcd.pcd", {0, 1, 2, 3, 4, 5, 6}},
      {"empty.pcd", {0, 1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    for (int index : c.failing) {
      const std::string input = pcd_fixture(c.file) + "[" + std::to_string(index) + "]";
      EXPECT_EQ(run_program(step_arguments(input, path("out.tga"))), 1) << input;
    }
  }
  EXPECT_EQ(run_program(step_arguments(pcd_fixture("empty.pcd"), path("out.tga"), false)), 1);
  EXPECT_EQ(run_program(step_arguments(path("missing.pcd") + "[3]", path("out.tga"))), 1);
  EXPECT_EQ(
      run_program(step_arguments(pcd_fixture("base_only.pcd") + "[3]", path("no/such/out.tga"))),
      1);
  EXPECT_TRUE(leftovers().empty());
}

// Requests the header rules out are refused from the header alone: a file
// far above the size limit, with a 16Base header and nothing but zeros after
// it, fails 64Base and an absent level for what they are, and only a level
// that needs the data reaches the size limit.
TEST_F(ConvertProgram, HeaderSettlesHopelessRequestsBeforeTheDataIsRead) {
  auto head = read_bytes(pcd_fixture("kodak_16base.pcd"));
  head.resize(image_pac_header_bytes);
  const std::string big = path("big.pcd");
  {
    std::ofstream(big, std::ios::binary)
        .write(reinterpret_cast<const char*>(head.data()),
               static_cast<std::streamsize>(head.size()));
  }
  fs::resize_file(big, std::uintmax_t{65} << 20);  // sparse: costs no disk

  auto run = [&](const std::string& input, std::string& message) {
    const std::vector<std::string> owned = step_arguments(input, path("out.tga"));
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    message.clear();
    return run_convert(arguments, message);
  };
  std::string message;
  EXPECT_EQ(run(big + "[6]", message), convert_exit_failure);
  EXPECT_NE(message.find("extension bit is clear"), std::string::npos) << message;
  EXPECT_EQ(run(big + "[5]", message), convert_exit_failure);
  EXPECT_NE(message.find("larger than"), std::string::npos) << message;

  // With the extension bit set, 64Base costs one look for INFO.IC beside
  // the disc's IMAGES folder, in either letter case, and nothing more.
  head[0xE02] |= 0x10;
  for (const char* name : {"IMAGES/IMG0001.PCD", "images/img0001.pcd"}) {
    const fs::path pro = dir_ / "disc" / name;
    fs::create_directories(pro.parent_path());
    std::ofstream(pro, std::ios::binary)
        .write(reinterpret_cast<const char*>(head.data()),
               static_cast<std::streamsize>(head.size()));
    fs::resize_file(pro, std::uintmax_t{65} << 20);
    EXPECT_EQ(run(pro.string() + "[6]", message), convert_exit_failure);
    EXPECT_NE(message.find("no Image Pac extension: neither"), std::string::npos) << message;
    EXPECT_NE(message.find(std::string(name[0] == 'I' ? "IPE/IMG0001/64BASE/INFO.IC"
                                                      : "ipe/img0001/64base/info.ic")),
              std::string::npos)
        << message;
  }
  fs::remove_all(dir_ / "disc");

  // A 4Base file asked for 16Base, and a file with no Image Pac header.
  EXPECT_EQ(run(pcd_fixture("photo_4base.pcd") + "[5]", message), convert_exit_failure);
  EXPECT_NE(message.find("holds levels up to 4Base"), std::string::npos) << message;
  EXPECT_EQ(run(pcd_fixture("not_a_pcd.pcd") + "[3]", message), convert_exit_failure);
  EXPECT_NE(message.find("PCD_IPI"), std::string::npos) << message;
  // A folder opens but cannot be read.
  EXPECT_EQ(run(dir_.string() + "[3]", message), convert_exit_failure);
  EXPECT_NE(message.find("cannot read"), std::string::npos) << message;

  fs::remove(big);
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(ConvertProgram, UsageErrorsExitTwo) {
  const std::string input = pcd_fixture("base_only.pcd") + "[3]";
  const std::string out = path("out.tga");
  const std::vector<std::vector<std::string>> cases{
      {},
      {"--help"},
      {"-quiet", "-colorspace", "sRGB", input},
      {"-quiet", "-colorspace", "Gray", input, out},
      {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft", input, out, out},
      {"-quiet", "-colorspace", "sRGB", input, path("out.png")},
  };
  for (const auto& arguments : cases)
    EXPECT_EQ(run_program(arguments), 2) << arguments.size() << " arguments";
  EXPECT_TRUE(leftovers().empty());
}

}  // namespace
}  // namespace pixmera::photocd
