// The 64Base level of the Pro Photo CD trees that tests/tools/make_pro_discs.py
// writes at test time: decoded to exactly the generator's own planes, and to
// the same picture whatever the number of threads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "photocd/convert/extension_files.h"
#include "photocd/convert/file_io.h"
#include "photocd/convert/run_convert.h"
#include "photocd/decoder.h"
#include "test_support.h"

namespace pixmera::photocd {
namespace {

namespace fs = std::filesystem;

const std::string discs = PIXMERA_PRO_DISCS;

struct Tree {
  const char* name;
  const char* picture;  // inside the tree
  bool lower_case;
  int quarter_turns;
};
constexpr Tree upper{"upper", "IMAGES/IMG0001.PCD", false, 0};
constexpr Tree lower{"lower", "images/img0001.pcd", true, 1};

std::string picture_of(const Tree& tree) { return discs + "/" + tree.name + "/" + tree.picture; }

// Sets PIXMERA_THREADS for the life of the object.
class ThreadSetting {
 public:
  explicit ThreadSetting(const std::string& value) {
    if (const char* old = std::getenv("PIXMERA_THREADS")) saved_ = old;
    ::setenv("PIXMERA_THREADS", value.c_str(), 1);
  }
  ~ThreadSetting() {
    if (saved_) {
      ::setenv("PIXMERA_THREADS", saved_->c_str(), 1);
    } else {
      ::unsetenv("PIXMERA_THREADS");
    }
  }
  ThreadSetting(const ThreadSetting&) = delete;
  ThreadSetting& operator=(const ThreadSetting&) = delete;

 private:
  std::optional<std::string> saved_;
};

TEST(ProDisc, PlanesAreExactlyTheGeneratorsOwn) {
  for (const Tree& tree : {upper, lower}) {
    const std::string picture = picture_of(tree);
    std::string why;
    const auto folder = find_extension_folder(picture, why);
    ASSERT_TRUE(folder) << tree.name << ": " << why;
    EXPECT_EQ(folder->lower_case, tree.lower_case);
    const auto extension = load_extension(*folder, why);
    ASSERT_TRUE(extension) << tree.name << ": " << why;
    const auto file = testing::read_bytes(picture);
    const DecodedPlanes decoded =
        decode_image_pac_planes(file, Level::sixty_four_base, &extension->data);
    ASSERT_TRUE(decoded) << tree.name << ": " << decoded.why;
    EXPECT_EQ(decoded.quarter_turns, tree.quarter_turns);

    const std::string stem = discs + "/" + tree.name;
    EXPECT_EQ(decoded.planes.luma.width, 6144);
    EXPECT_EQ(decoded.planes.chroma1.height, 2048);
    EXPECT_TRUE(decoded.planes.luma.samples == testing::read_bytes(stem + ".y.raw")) << tree.name;
    EXPECT_TRUE(decoded.planes.chroma1.samples == testing::read_bytes(stem + ".c1.raw"))
        << tree.name;
    EXPECT_TRUE(decoded.planes.chroma2.samples == testing::read_bytes(stem + ".c2.raw"))
        << tree.name;
  }
}

// The turned 64Base picture, both as the 24-bit TGA and as the 16-bit PPM.
TEST(ProDisc, SamePictureWhateverTheThreadCount) {
  const fs::path out = fs::path(testing::failure_output_dir()).parent_path() / "pro-disc-threads";
  fs::create_directories(out);
  for (const bool deep : {false, true}) {
    std::vector<std::uint8_t> first;
    for (const char* threads : {"1", "2", "3"}) {
      if (deep && std::string_view(threads) == "2") continue;
      const ThreadSetting setting(threads);
      const std::string picture = (out / (deep ? "picture.ppm" : "picture.tga")).string();
      std::vector<std::string> owned{"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft"};
      if (deep) owned.insert(owned.end(), {"-depth", "16"});
      owned.insert(owned.end(), {picture_of(lower) + "[6]", picture});
      const std::vector<std::string_view> arguments(owned.begin(), owned.end());
      std::string message;
      ASSERT_EQ(run_convert(arguments, message), convert_exit_success)
          << threads << ": " << message;
      const auto bytes = testing::read_bytes(picture);
      fs::remove(picture);
      EXPECT_EQ(bytes.size(), deep ? 6144u * 4096u * 6u + 19u : 18u + 6144u * 4096u * 3u);
      if (first.empty()) {
        first = bytes;
      } else {
        EXPECT_TRUE(bytes == first) << threads << " threads" << (deep ? ", 16 bits" : "");
      }
    }
  }
  fs::remove_all(out);
}

}  // namespace
}  // namespace pixmera::photocd
