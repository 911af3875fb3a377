#include "pipeline/input_collection.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

namespace pixmera {
namespace {

class InputCollection : public ::testing::Test {
 protected:
  void SetUp() override {
    build_input_format_table();
    clear_input_collection();
    g_current_file = CurrentFile{};
  }
  void TearDown() override {
    clear_input_collection();
    g_current_file = CurrentFile{};
  }

  test::TempFolder temp_;
};

TEST_F(InputCollection, AddsAPathOnce) {
  const std::string path = temp_.write("x.pcd", "picture");
  EXPECT_EQ(add_input_file(path), 1);
  EXPECT_EQ(add_input_file(path), 0);
  ASSERT_EQ(input_collection().size(), 1u);
  EXPECT_EQ(input_collection()[0].path, path);
  EXPECT_EQ(input_collection()[0].added, 1);
}

TEST_F(InputCollection, KeysPathsAsGiven) {
  const std::string lower = temp_.write("img.pcd", "picture");
  const std::string upper = temp_.write("IMG.pcd", "picture");
  EXPECT_EQ(add_input_file(lower), 1);
  EXPECT_EQ(add_input_file(upper), 1);
  // The same file once more, spelt with "./" in it: not normalised, so new.
  EXPECT_EQ(add_input_file(temp_.folder() + "./img.pcd"), 1);
  EXPECT_EQ(input_collection().size(), 3u);
}

TEST_F(InputCollection, TestsSizeAndLowerCasedExtension) {
  EXPECT_EQ(add_input_file(temp_.write("empty.pcd", "")), 0);
  EXPECT_EQ(add_input_file(temp_.write("x.PCD", "picture")), 1);
  EXPECT_EQ(add_input_file(temp_.write("x.Pcd1", "picture")), 1);
  EXPECT_EQ(add_input_file(temp_.write("x.ppcd", "picture")), 1);
  EXPECT_EQ(add_input_file(temp_.write("x.tif", "picture")), 0);
  EXPECT_EQ(add_input_file(temp_.write("x.jpg", "picture")), 0);
  EXPECT_EQ(add_input_file(temp_.write("noextension", "picture")), 0);
  EXPECT_EQ(add_input_file(temp_.write("trailingdot.", "picture")), 0);
  EXPECT_EQ(add_input_file(temp_.write("pcd", "picture")), 0);
  EXPECT_EQ(add_input_file(temp_.write("dir.pcd/x.tif", "picture")), 0);
  EXPECT_EQ(input_collection().size(), 3u);
}

TEST_F(InputCollection, LeavesMissingFilesAndFoldersToTheExtensionTest) {
  std::filesystem::create_directories(temp_.folder() + "folder.pcd");
  EXPECT_EQ(add_input_file(temp_.folder() + "folder.pcd"), 1);
  EXPECT_EQ(add_input_file(temp_.folder() + "missing.pcd"), 1);
  EXPECT_EQ(add_input_file(temp_.folder() + "missing.tif"), 0);
  std::filesystem::create_directories(temp_.folder() + "folder");
  EXPECT_EQ(add_input_file(temp_.folder() + "folder"), 0);
}

TEST_F(InputCollection, StoresTheSubFolderBelowTheGivenInputPath) {
  g_current_file.given_input_path = temp_.folder();
  const std::string deep = temp_.write("a/b/x.pcd", "picture");
  const std::string top = temp_.write("y.pcd", "picture");
  ASSERT_EQ(add_input_file(deep), 1);
  ASSERT_EQ(add_input_file(top), 1);
  // Spelled as the system spells the paths it finds.
  EXPECT_EQ(input_collection()[0].sub_folder, native_separators("a/b/"));
  EXPECT_EQ(input_collection()[1].sub_folder, "");

  // The console path clears the base, so nothing is kept below it.
  g_current_file.given_input_path.clear();
  ASSERT_EQ(add_input_file(temp_.write("c/z.pcd", "picture")), 1);
  EXPECT_EQ(input_collection()[2].sub_folder, "");
}

TEST(SubFolderText, IsTheFolderBelowTheBase) {
  EXPECT_EQ(sub_folder_text("/in/a/b/x.pcd", "/in/"), "a/b/");
  EXPECT_EQ(sub_folder_text("/in/x.pcd", "/in/"), "");
  EXPECT_EQ(sub_folder_text("/in/a/b/x.pcd", "/in"), "a/b/");
  EXPECT_EQ(sub_folder_text("/in/a/b/x.pcd", ""), "");
  EXPECT_EQ(sub_folder_text("", "/in/"), "");
  EXPECT_EQ(sub_folder_text("x.pcd", "/in/"), "");
  EXPECT_EQ(sub_folder_text("/In/a/x.pcd", "/in/"), "");  // compared with case
  EXPECT_EQ(sub_folder_text("/inbox/a/x.pcd", "/in"), "");
}

TEST(SubFolderText, RemovesTheBaseOnlyAtTheStart) {
  EXPECT_EQ(sub_folder_text("/in/a/in/x.pcd", "/in/"), "a/in/");
  EXPECT_EQ(sub_folder_text("/data/in/x.pcd", "/in/"), "");
}

TEST_F(InputCollection, IteratesInTheOrderOfAdding) {
  const std::string c = temp_.write("c.pcd", "picture");
  const std::string a = temp_.write("a.pcd", "picture");
  const std::string b = temp_.write("b.pcd", "picture");
  for (const std::string& path : {c, a, b}) ASSERT_EQ(add_input_file(path), 1);

  std::vector<std::string> seen;
  reset_input_iteration();
  while (const InputEntry* entry = next_input_entry()) seen.push_back(entry->path);
  EXPECT_EQ(seen, (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(next_input_entry(), nullptr);

  reset_input_iteration();
  const InputEntry* first = next_input_entry();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->path, c);

  clear_input_collection();
  EXPECT_TRUE(input_collection().empty());
  EXPECT_EQ(next_input_entry(), nullptr);
  EXPECT_EQ(add_input_file(c), 1);  // a cleared collection forgets what it held
}

}  // namespace
}  // namespace pixmera
