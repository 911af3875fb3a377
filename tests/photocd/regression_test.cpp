// Every input that ever upset the decoder, fuzzer finds and hand-made hostile
// files alike, is kept in tests/data/photocd/regression/ and replayed here:
//   file/   whole files, decoded at every level
//   rows/   inputs of the rows fuzzer (tables and coded rows)
//   patch/  inputs of the patch fuzzer (changes to a real Image Pac)
//   extension/  inputs of the extension fuzzer (INFO.IC and .ICR files);
//               those named valid_* must decode
// The sanitizer build turns a stray read, an overflow or a leak into a
// failure; for whole files the checks below also catch half-made results.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz_inputs.h"
#include "photocd/decoder.h"
#include "test_support.h"

namespace pixmera::photocd {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> kept_inputs(const std::string& kind) {
  std::vector<fs::path> paths;
  const fs::path dir = testing::photocd_data("regression/" + kind);
  if (!fs::is_directory(dir)) return paths;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(Regression, WholeFilesFailCleanlyOrDecodeWhole) {
  const auto paths = kept_inputs("file");
  EXPECT_FALSE(paths.empty());
  for (const fs::path& path : paths) {
    const auto bytes = testing::read_bytes(path.string());
    for (int index = 0; index <= 6; ++index) {
      const Level level = level_for_index(static_cast<std::uint64_t>(index));
      const DecodeResult result = decode_image_pac(bytes, level);
      const std::string where = path.filename().string() + "[" + std::to_string(index) + "]";
      if (result) {
        const Size size = stored_size(level);
        const bool landscape =
            result.image.width == size.width && result.image.height == size.height;
        const bool portrait =
            result.image.width == size.height && result.image.height == size.width;
        EXPECT_TRUE(landscape || portrait) << where;
        EXPECT_EQ(result.image.pixels.size(),
                  static_cast<std::size_t>(size.width) * size.height * 3)
            << where;
      } else {
        EXPECT_FALSE(result.why.empty()) << where;
        EXPECT_TRUE(result.image.pixels.empty()) << where;
      }
    }
  }
}

TEST(Regression, RowsInputsReplay) {
  const auto paths = kept_inputs("rows");
  EXPECT_FALSE(paths.empty());
  for (const fs::path& path : paths) {
    SCOPED_TRACE(path.filename().string());
    fuzzing::decode_rows_input(testing::read_bytes(path.string()));
  }
}

TEST(Regression, PatchInputsReplay) {
  const auto paths = kept_inputs("patch");
  EXPECT_FALSE(paths.empty());
  const auto templates = fuzzing::load_patch_templates(std::string(PIXMERA_TEST_DATA) + "/pcd");
  ASSERT_FALSE(templates.four_base.empty());
  ASSERT_FALSE(templates.sixteen_base.empty());
  for (const fs::path& path : paths) {
    SCOPED_TRACE(path.filename().string());
    fuzzing::decode_patch_input(testing::read_bytes(path.string()), templates);
  }
}

TEST(Regression, ExtensionInputsReplay) {
  const auto paths = kept_inputs("extension");
  EXPECT_FALSE(paths.empty());
  for (const fs::path& path : paths) {
    const std::string name = path.filename().string();
    const bool decoded = fuzzing::decode_extension_input(testing::read_bytes(path.string()));
    EXPECT_TRUE(decoded || !name.starts_with("valid_")) << name;
  }
}

}  // namespace
}  // namespace pixmera::photocd
