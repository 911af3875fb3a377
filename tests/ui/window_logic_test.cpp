// The window's rules that need no display: geometry on close, recent
// folders, the time estimate, what the input field adds, the checks before a
// windowed conversion, and how theme archives are judged.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/window_face.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/time_estimate.h"
#include "pipeline/window_job.h"
#include "platform/paths.h"
#include "settings/catalogue.h"
#include "settings/recent_folders.h"
#include "settings/settings.h"
#include "support/temp_folder.h"
#include "theme_zip.h"
#include "ui/main_window.h"
#include "ui/theme_archive.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;

TEST(WindowGeometry, ClosingRecordsWhatTheWindowStateAllows) {
  Settings s;
  s.x = 1;
  s.y = 2;
  s.width = 600;
  s.height = 260;
  record_window_geometry(s, {true, false, 0, 0, 1280, 260});
  EXPECT_EQ(s.is_maximized, 1);
  EXPECT_EQ(s.width, 600);  // the normal size is kept for the next start
  record_window_geometry(s, {false, true, 5, 5, 700, 260});
  EXPECT_EQ(s.is_maximized, 1);  // minimised: nothing recorded
  EXPECT_EQ(s.x, 1);
  record_window_geometry(s, {false, false, 30, 40, 700, 260});
  EXPECT_EQ(s.is_maximized, 0);
  EXPECT_EQ(s.x, 30);
  EXPECT_EQ(s.y, 40);
  EXPECT_EQ(s.width, 700);
}

TEST(RecentFolders, NewestFirstWithoutRepeatsUpToTheLimit) {
  Settings s;
  s.out_folders_number = 3;
  for (const char* folder : {"/a/", "/b/", "/c/", "/b/", "/d/"}) remember_out_folder(s, folder);
  EXPECT_EQ(s.recent_out_folders, "/d/\t/b/\t/c/");
  EXPECT_EQ(recent_out_folders(s), (std::vector<std::string>{"/d/", "/b/", "/c/"}));
  s.recent_out_folders = "\t/x/\t\t";
  EXPECT_EQ(recent_out_folders(s), std::vector<std::string>{"/x/"});
}

TEST(TimeEstimate, ComesFromTheMeanOfTheFinishedFiles) {
  EXPECT_EQ(estimate_remaining(0, 0, 10, true).kind, RemainingTime::Kind::AtStart);
  EXPECT_EQ(estimate_remaining(5000, 1, 10, true).kind, RemainingTime::Kind::Unknown);
  // Three files done in 6 s while the fourth runs: 2 s each, 7 to go.
  const RemainingTime known = estimate_remaining(6000, 4, 10, true);
  EXPECT_EQ(known.kind, RemainingTime::Kind::Known);
  EXPECT_EQ(known.seconds, 14);
  EXPECT_EQ(estimate_remaining(9000, 10, 10, false).seconds, 0);
  EXPECT_EQ(estimate_remaining(1001, 2, 3, true).seconds, 3);  // rounded up
  EXPECT_EQ(clock_text(0), "00:00:00");
  EXPECT_EQ(clock_text(3 * 3600 + 25 * 60 + 7), "03:25:07");
  EXPECT_EQ(clock_text(125 * 3600), "125:00:00");
}

class WindowInput : public testing::Test {
 protected:
  void SetUp() override {
    build_input_format_table();
    build_output_format_table();
    build_catalogue();
    reset_settings(g_settings, false);
    g_settings.input_format_list = {"pcd"};
    g_settings.output_format_list = {"tiff"};
    clear_input_collection();
    g_current_file = CurrentFile{};
  }
  void TearDown() override { clear_input_collection(); }

  test::TempFolder folder_;
};

TEST_F(WindowInput, AFolderAddsEveryPhotoCdBelowItWithItsSubFolder) {
  const std::string one = folder_.write("disc/IMAGES/IMG0001.PCD", "x");
  const std::string two = folder_.write("disc/IMAGES/deeper/img0002.pcd", "x");
  folder_.write("disc/IMAGES/notes.txt", "x");
  folder_.write("disc/IMAGES/empty.pcd", "");
  EXPECT_EQ(add_input_path(folder_.file("disc")), 2);
  ASSERT_EQ(input_collection().size(), 2u);
  EXPECT_EQ(input_collection()[0].path, one);  // byte order: "IMG0001.PCD" before "deeper/"
  // The sub-folder as the system spells paths: it is joined to the output
  // folder.
  EXPECT_EQ(input_collection()[0].sub_folder, native_separators("IMAGES/"));
  EXPECT_EQ(input_collection()[1].path, two);
  EXPECT_EQ(input_collection()[1].sub_folder, native_separators("IMAGES/deeper/"));
  // The base is the folder only while it is expanded.
  EXPECT_EQ(g_current_file.given_input_path, "");
  EXPECT_EQ(add_input_path(one), 0);  // already there
  EXPECT_TRUE(remove_input_file(one));
  EXPECT_FALSE(remove_input_file(one));
  EXPECT_EQ(add_input_path(one), 1);
  EXPECT_EQ(input_collection().back().sub_folder, "");
}

TEST_F(WindowInput, ChecksRefuseInTheirOrderAndMakeAMissingFolder) {
  std::string out = folder_.file("out");
  auto check = [&](std::string folder) {
    out = std::move(folder);
    return check_window_conversion(out).message_key;
  };
  EXPECT_EQ(check(folder_.file("out")), "Empty input files");
  add_input_path(folder_.write("IMG0001.PCD", "x"));
  EXPECT_EQ(check("  "), "Empty output folder");
  // A folder that cannot be made (a file stands in its way) is refused by
  // name; a missing one is made with its parents.
  folder_.write("blocker", "x");
  const WindowCheck blocked = [&] {
    out = folder_.file("blocker/out");
    return check_window_conversion(out);
  }();
  EXPECT_EQ(blocked.message_key, "Invalid output folder");
  EXPECT_EQ(blocked.detail, folder_.file("blocker/out/"));
  EXPECT_TRUE(check(folder_.file("new/deep")).empty());
  EXPECT_EQ(out, folder_.file("new/deep/"));
  EXPECT_TRUE(fs::is_directory(out));

  g_settings.do_image_resize = 1;
  g_settings.image_width = 0;
  g_settings.do_watermark = 2;  // checked only after the resize
  EXPECT_EQ(check(folder_.file("out")), "Invalid width");
  g_settings.image_width = 50;
  g_settings.image_height = 0;
  EXPECT_EQ(check(folder_.file("out")), "Invalid height");
  g_settings.do_image_resize = 0;
  // Colour values out of range, as a hand-edited configuration file may
  // hold them, are refused as the console refuses them; NaN included.
  g_settings.do_image_color_correction = 1;
  g_settings.image_brightness = 101;
  EXPECT_EQ(check(folder_.file("out")), "Invalid brightness");
  g_settings.image_brightness = -100;
  g_settings.image_contrast = -101;
  EXPECT_EQ(check(folder_.file("out")), "Invalid contrast");
  g_settings.image_contrast = 100;
  g_settings.image_gamma = std::nanf("");
  EXPECT_EQ(check(folder_.file("out")), "Invalid gamma");
  g_settings.image_gamma = 0.0f;
  EXPECT_EQ(check(folder_.file("out")), "Invalid gamma");
  g_settings.do_image_color_correction = 0;  // unused values are not checked
  g_settings.image.clear();
  EXPECT_EQ(check(folder_.file("out")), "Empty watermark image");
  g_settings.image = folder_.write("not-a-picture.png", "text");
  const WindowCheck picture = check_window_conversion(out);
  EXPECT_EQ(picture.message_key, "Invalid watermark image");
  EXPECT_EQ(picture.detail, g_settings.image);
  g_settings.do_watermark = 1;
  g_settings.font = "No Such Font Family Anywhere";
  const WindowCheck font = check_window_conversion(out);
  EXPECT_EQ(font.message_key, "Invalid watermark font");
  EXPECT_EQ(font.detail, g_settings.font);
}

TEST(ThemeArchive, OnlyAWholeThemeWithinItsLimitsIsTaken) {
  test::TempFolder folder;
  std::string why;
  const std::string good = folder.file("good.zip");
  ASSERT_TRUE(test::write_zip(good, test::theme_files()));
  const auto theme = ui::read_theme_archive(good, why);
  ASSERT_TRUE(theme) << why;
  EXPECT_EQ(theme->name, "Test");
  EXPECT_EQ(theme->icon_sizes, (std::vector<int>{16, 24}));
  EXPECT_EQ(theme->pictures.size(), 2 * ui::kIconNames.size() + 2 * ui::kButtonNames.size());

  auto refused = [&](const std::string& name, const std::map<std::string, std::string>& files) {
    const std::string path = folder.file(name);
    test::write_zip(path, files);
    std::string reason;
    const bool taken = ui::read_theme_archive(path, reason).has_value();
    EXPECT_FALSE(reason.empty()) << name;
    return !taken;
  };
  auto files = test::theme_files();
  files.erase("Icons/24/Web.png");
  EXPECT_TRUE(refused("missing-icon.zip", files));
  files = test::theme_files();
  files["Buttons/88/Convert.png"] = test::disc_png(64);  // a size its folder does not name
  EXPECT_TRUE(refused("wrong-size.zip", files));
  files = test::theme_files();
  files["Icons/16/Add.png"] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x7f\xff\xff\xff\x7f\xff\xff\xff";
  EXPECT_TRUE(refused("huge-picture.zip", files));
  files = test::theme_files();
  files["theme.cfg"] = "Name = No sizes\n";
  EXPECT_TRUE(refused("no-sizes.zip", files));
  files = test::theme_files();
  files["bomb.bin"] = std::string(size_t{40} << 20, '\0');  // compresses to almost nothing
  EXPECT_TRUE(refused("bomb.zip", files));
  files = test::theme_files();
  for (int i = 0; i < 3000; ++i) files["extra/" + std::to_string(i)] = "x";
  EXPECT_TRUE(refused("crowded.zip", files));

  const std::string bytes = test::read_bytes(good);
  EXPECT_FALSE(
      ui::read_theme_archive(folder.write("cut.zip", bytes.substr(0, bytes.size() / 2)), why));
  EXPECT_FALSE(ui::read_theme_archive(folder.write("text.zip", "not an archive"), why));
  EXPECT_FALSE(ui::read_theme_archive(folder.file("absent.zip"), why));
}

TEST(FileDialogFilter, PatternsMatchEveryLetterCase) {
  EXPECT_EQ(ui::case_insensitive_filter("PhotoCD Files|*.pcd;*.pcd1|All Files (*.*)|*.*"),
            "PhotoCD Files|*.[pP][cC][dD];*.[pP][cC][dD]1|All Files (*.*)|*.*");
}

}  // namespace
}  // namespace pixmera
