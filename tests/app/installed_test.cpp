// The program as `cmake --install` lays it out: every file where the
// installed program looks for it, nothing pointing back into the build
// tree, and a console conversion run from the prefix.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/pictures.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;

const std::string kPrefix = PIXMERA_TEST_PREFIX;
const std::string kFixture = PIXMERA_TEST_DATA "/pcd/kodak_16base.pcd";

TEST(Installed, EveryFileIsWhereTheInstalledProgramLooksForIt) {
  const char* const files[] = {
      "bin/pixmera",
      // the private folder: engine, window and PhotoCD converter
      "lib/pixmera/libpixmera_engine.so",
      "lib/pixmera/libpixmera_ui.so",
      "lib/pixmera/convert",
      "share/pixmera/gfx/handdrawn.zip",
      "share/doc/pixmera/manual.html",
      "share/man/man1/pixmera.1",
      "share/applications/pixmera.desktop",
      "share/metainfo/example.varnelo.pixmera.metainfo.xml",
      "share/icons/hicolor/48x48/apps/pixmera.png",
      "share/icons/hicolor/128x128/apps/pixmera.png",
      "share/icons/hicolor/256x256/apps/pixmera.png",
      "share/icons/hicolor/scalable/apps/pixmera.svg",
      "share/bash-completion/completions/pixmera",
  };
  for (const char* file : files) {
    EXPECT_TRUE(fs::is_regular_file(kPrefix + "/" + file)) << file;
  }
  EXPECT_EQ(test::read_bytes(kPrefix + "/share/doc/pixmera/manual.html"),
            test::read_bytes(PIXMERA_SOURCE_DIR "/docs/manual.html"));

  // No program or module finds its libraries through the build tree.
  for (const char* elf : {"bin/pixmera", "lib/pixmera/libpixmera_engine.so",
                          "lib/pixmera/libpixmera_ui.so", "lib/pixmera/convert"}) {
    const test::ProcessResult dynamic =
        test::run_process("/usr/bin/readelf", {"-d", kPrefix + "/" + elf});
    ASSERT_EQ(dynamic.exit_status, 0) << elf;
    EXPECT_EQ(dynamic.output.find("RUNPATH"), std::string::npos) << elf << dynamic.output;
    EXPECT_EQ(dynamic.output.find("RPATH"), std::string::npos) << elf << dynamic.output;
  }
}

TEST(Installed, ConvertsAPhotoCdWithItsOwnConverterAsTheBuildTreeDoes) {
  test::TempFolder home;
  test::TempFolder installed_out;
  test::TempFolder built_out;
  // Nothing through PATH: ImageMagick's convert cannot stand in for ours.
  const std::map<std::string, std::string> env = {{"PATH", home.folder() + "nothing"},
                                                  {"XDG_RUNTIME_DIR", home.folder()},
                                                  {"XDG_CONFIG_HOME", home.folder() + "config"},
                                                  {"PIXMERA_CONVERTER", "<unset>"},
                                                  {"DISPLAY", "<unset>"},
                                                  {"WAYLAND_DISPLAY", "<unset>"}};
  const test::ProcessResult installed = test::run_process(
      kPrefix + "/bin/pixmera", {"-q", "-i", kFixture, "-o", installed_out.folder()}, env);
  EXPECT_EQ(installed.exit_status, 0) << installed.output;
  EXPECT_EQ(installed.output, "");
  const test::ProcessResult built = test::run_process(
      PIXMERA_BINARY_DIR "/bin/pixmera", {"-q", "-i", kFixture, "-o", built_out.folder()}, env);
  ASSERT_EQ(built.exit_status, 0) << built.output;

  const Image picture = test::load_picture(installed_out.file("kodak_16base.tiff"));
  ASSERT_TRUE(picture);
  // 16Base: only the converter decodes it; FreeImage's loader stops at Base.
  EXPECT_EQ(FreeImage_GetWidth(picture.get()), 3072u);
  EXPECT_EQ(FreeImage_GetHeight(picture.get()), 2048u);
  EXPECT_TRUE(test::same_pixels(picture, test::load_picture(built_out.file("kodak_16base.tiff"))));
}

}  // namespace
}  // namespace pixmera
