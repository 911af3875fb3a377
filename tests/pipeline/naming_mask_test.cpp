#include "pipeline/naming_mask.h"

#include <gtest/gtest.h>

#include <ctime>

#include "pipeline/current_file.h"
#include "settings/settings.h"

namespace pixmera {
namespace {

std::tm moment(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

int current_year() {
  const std::time_t now = std::time(nullptr);
  return std::localtime(&now)->tm_year + 1900;
}

class NamingMask : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_mask_ = g_settings.filename_mask;
    saved_keep_subfolders_ = g_settings.keep_subfolders;
    g_settings.filename_mask.clear();
    g_settings.keep_subfolders = 0;
    g_current_file = CurrentFile{};
    g_current_file.input_path = "/in/Img_01.pcd";
    g_current_file.conversion_type = "tiff";
    g_current_file.output_folder = "/out/";
  }
  void TearDown() override {
    g_settings.filename_mask = saved_mask_;
    g_settings.keep_subfolders = saved_keep_subfolders_;
    g_current_file = CurrentFile{};
  }

  const std::tm noon_ = moment(2024, 3, 7, 9, 5, 4);

 private:
  std::string saved_mask_;
  uint8_t saved_keep_subfolders_ = 0;
};

TEST_F(NamingMask, EmptyMaskKeepsTheBaseNameAndAddsTheType) {
  EXPECT_EQ(output_file_name(), "Img_01.tiff");
  EXPECT_EQ(output_file_path(), "/out/Img_01.tiff");
}

TEST_F(NamingMask, CounterIsPaddedToFiveDigits) {
  g_settings.filename_mask = "%filename[u]%_%n%.%ext[u]%";
  g_current_file.file_counter = 1;
  EXPECT_EQ(output_file_name(), "IMG_01_00001.TIFF");
  g_current_file.file_counter = 2;
  EXPECT_EQ(output_file_name(), "IMG_01_00002.TIFF");
  g_current_file.file_counter = 99999;
  EXPECT_EQ(output_file_name(), "IMG_01_99999.TIFF");
  g_current_file.file_counter = 123456;
  EXPECT_EQ(output_file_name(), "IMG_01_123456.TIFF");
}

TEST_F(NamingMask, LowerCasesTheMaskButNotTheValues) {
  g_settings.filename_mask = "HOLIDAY_%YYYY%";
  EXPECT_EQ(output_file_name(noon_), "holiday_2024");
  const int before = current_year();
  const std::string live = output_file_name();
  const int after = current_year();
  EXPECT_TRUE(live == "holiday_" + std::to_string(before) ||
              live == "holiday_" + std::to_string(after))
      << live;

  g_settings.filename_mask = "%FileName%.%EXT%";
  EXPECT_EQ(output_file_name(), "Img_01.tiff");
}

TEST_F(NamingMask, BaseNameDropsOnlyTheLastExtension) {
  g_current_file.input_path = "/in/a.b.pcd";
  EXPECT_EQ(output_file_name(), "a.b.tiff");
  g_current_file.input_path = "/in.d/noext";
  EXPECT_EQ(output_file_name(), "noext.tiff");
}

TEST_F(NamingMask, CaseVariantsOfNameAndType) {
  g_current_file.input_path = "/in/iMG_01.pcd";
  g_settings.filename_mask = "%filename[l]%-%filename[t]%-%filename[u]%-%ext%-%ext[t]%-%ext[u]%";
  EXPECT_EQ(output_file_name(), "img_01-Img_01-IMG_01-tiff-Tiff-TIFF");
}

TEST_F(NamingMask, DateAndTimeComeFromTheGivenMoment) {
  g_settings.filename_mask = "%yyyy%%mm%%dd%-%hh%%ii%%ss%";
  EXPECT_EQ(output_file_name(noon_), "20240307-090504");
  EXPECT_EQ(output_file_name(moment(1999, 12, 31, 23, 59, 58)), "19991231-235958");
}

TEST_F(NamingMask, PictureValuesAndRandomNumber) {
  g_settings.filename_mask = "%bpp%_%width%x%height%_%frame%_%rnd%";
  g_current_file.output_bpp = 24;
  g_current_file.mask_width = 1536;
  g_current_file.mask_height = 1024;
  g_current_file.frame_number = 2;
  g_current_file.random_number = 42;
  EXPECT_EQ(output_file_name(), "24_1536x1024_2_00042");
}

TEST_F(NamingMask, UnknownPlaceholdersStayAsText) {
  g_settings.filename_mask = "%foo%_%filename%_%";
  EXPECT_EQ(output_file_name(), "%foo%_Img_01_%");
}

TEST_F(NamingMask, ValuesAreNotSearchedAgain) {
  // A name that itself holds a placeholder must not turn into another
  // file's name (x%n%.pcd would otherwise be saved over x00007.tiff).
  g_current_file.input_path = "/in/x%n%.pcd";
  g_current_file.file_counter = 7;
  g_settings.filename_mask = "%filename%-%n%.%ext%";
  EXPECT_EQ(output_file_name(), "x%n%-00007.tiff");
}

TEST_F(NamingMask, KeepSubfoldersPutsTheSubFolderBeforeTheName) {
  g_current_file.sub_folder = "a/b/";
  EXPECT_EQ(output_file_path(), "/out/Img_01.tiff");
  g_settings.keep_subfolders = 1;
  EXPECT_EQ(output_file_path(), "/out/a/b/Img_01.tiff");
}

TEST_F(NamingMask, ReplacesOnePlaceholderInAnyCase) {
  EXPECT_EQ(replace_placeholder("A%EXT%b%ext%", "%ext%"), "Atiffbtiff");
  EXPECT_EQ(replace_placeholder("A%Ext[U]%", "%EXT[u]%"), "ATIFF");
  EXPECT_EQ(replace_placeholder("%n%%rnd%", "%n%"), "00000%rnd%");
  EXPECT_EQ(replace_placeholder("%foo%", "%foo%"), "%foo%");
}

TEST_F(NamingMask, WatermarkTextNeedsTwoPercentSigns) {
  g_current_file.file_counter = 3;
  EXPECT_EQ(expand_watermark_text("100% %n"), "100% %n");
  EXPECT_EQ(expand_watermark_text("By Me: %FileName% No. %N%"), "By Me: Img_01 No. 00003");
  EXPECT_EQ(expand_watermark_text("Line one%eol%%filename%"), "Line one%eol%Img_01");
  EXPECT_EQ(expand_watermark_text(""), "");
}

TEST_F(NamingMask, ExpandsPlaceholdersInTheTextAsWritten) {
  EXPECT_EQ(expand_placeholders("Shot %YYYY%-%Mm% of %FILENAME[T]%", noon_),
            "Shot 2024-03 of Img_01");
}

}  // namespace
}  // namespace pixmera
