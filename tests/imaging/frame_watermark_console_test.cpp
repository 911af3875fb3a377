// Frame and watermark through the console face: the program draws what its
// options say, exactly as the operations do in this process, and refuses a
// watermark font that does not open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "imaging/operations.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "platform/libraries.h"
#include "settings/settings.h"
#include "support/process_runner.h"
#include "test_pictures.h"

namespace pixmera::test {
namespace {

namespace fs = std::filesystem;

const std::string kPixmera = PIXMERA_BINARY_DIR "/bin/pixmera";
const std::string kConverter = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
const std::string kInput = PIXMERA_TEST_DATA "/pcd/base_only.pcd";

class ConsoleFrameWatermark : public OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    quiet_library_warnings();
    root_ = fs::temp_directory_path() / ("pixmera-frame-watermark-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder : {"config", "runtime", "plain", "marked"}) {
      fs::create_directories(root_ / folder);
    }
  }
  void TearDown() override {
    release_watermark_font();
    g_current_file = CurrentFile{};
    fs::remove_all(root_);
    OperationTest::TearDown();
  }

  std::string folder(const std::string& name) const { return (root_ / name).string() + "/"; }

  ProcessResult convert(const std::string& out, std::vector<std::string> options) const {
    std::vector<std::string> args{"-q", "-i", kInput, "-o", out};
    args.insert(args.end(), options.begin(), options.end());
    return run_process(kPixmera, args,
                       {{"XDG_CONFIG_HOME", folder("config")},
                        {"XDG_RUNTIME_DIR", folder("runtime")},
                        {"PIXMERA_CONVERTER", kConverter}});
  }

  fs::path root_;
};

TEST_F(ConsoleFrameWatermark, DrawsWhatTheOptionsSay) {
  const ProcessResult plain = convert(folder("plain"), {});
  ASSERT_EQ(plain.exit_status, 0) << plain.output;
  const ProcessResult marked =
      convert(folder("marked"), {"--wm-text=%filename% %width%x%height%", "--fr-solid-left=20",
                                 "--fr-solid-top=12", "--fr-solid-left-color=FF0000",
                                 "--fr-solid-top-color=0000FF", "--wm-back-opacity=160"});
  ASSERT_EQ(marked.exit_status, 0) << marked.output;

  Image picture = adopt(FreeImage_Load(FIF_TIFF, (folder("plain") + "base_only.tiff").c_str(), 0));
  const Image result =
      adopt(FreeImage_Load(FIF_TIFF, (folder("marked") + "base_only.tiff").c_str(), 0));
  ASSERT_TRUE(picture);
  ASSERT_TRUE(result);
  const RgbRaster out = raster_of(result);
  EXPECT_EQ(out.at(5, 256), (Pixel{255, 0, 0}));
  EXPECT_EQ(out.at(384, 5), (Pixel{0, 0, 255}));

  // The same frame and watermark drawn here on the plain conversion.
  g_settings.do_frame = 1;
  g_settings.solid_left = 20;
  g_settings.solid_top = 12;
  g_settings.solid_left_color = "FF0000";
  g_settings.solid_top_color = "0000FF";
  g_settings.do_watermark = 1;
  g_settings.text = "%filename% %width%x%height%";
  g_settings.back_opacity = 160;
  ASSERT_TRUE(prepare_watermark_font());
  g_current_file.input_path = kInput;
  g_current_file.mask_width = width_of(picture);
  g_current_file.mask_height = height_of(picture);
  g_current_file.mask_size_valid = 1;
  const int width = width_of(picture);
  const int height = height_of(picture);
  picture = watermark(frame(std::move(picture), width, height), width, height);
  const RgbRaster expected = raster_of(picture);
  EXPECT_EQ(out.pixels, expected.pixels);

  // And the text is there: the bottom right differs from the plain picture.
  const Image plain_picture =
      adopt(FreeImage_Load(FIF_TIFF, (folder("plain") + "base_only.tiff").c_str(), 0));
  const RgbRaster before = raster_of(plain_picture);
  int changed = 0;
  for (int y = height - 40; y < height - 10; ++y) {
    for (int x = width - 200; x < width - 10; ++x) changed += !(out.at(x, y) == before.at(x, y));
  }
  EXPECT_GT(changed, 1000);
}

TEST_F(ConsoleFrameWatermark, FontThatDoesNotOpenStopsTheJob) {
  const ProcessResult r = convert(folder("marked"), {"--wm-text=Kodak", "--wm-font=NoSuchFont"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.output.find("Error: Invalid watermark font"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::is_empty(folder("marked")));

  // A picture watermark does not need the font.
  const ProcessResult picture_only =
      convert(folder("marked"), {"--wm-font=NoSuchFont", "--wm-image=" + kInput});
  EXPECT_EQ(picture_only.exit_status, 0) << picture_only.output;
}

}  // namespace
}  // namespace pixmera::test
