#include "settings/colour_names.h"

#include <gtest/gtest.h>

#include "settings/catalogue.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {
namespace {

class ColourNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { build_catalogue(); }
};

TEST_F(ColourNamesTest, NamedColoursInAnyCase) {
  EXPECT_EQ(colour_display_name("ff8000"), "Orange");
  EXPECT_EQ(colour_display_name("FFFFFF"), "White");
  EXPECT_EQ(colour_display_name("c0c0C0"), "Silver");
  EXPECT_EQ(colour_display_name("8000ff"), "Violet");
  EXPECT_EQ(colour_display_name("804000"), "Brown");
}

TEST_F(ColourNamesTest, UnnamedColoursShowTheirDigitsInUpperCase) {
  EXPECT_EQ(colour_display_name("123ABC"), "Color #123ABC");
  EXPECT_EQ(colour_display_name("12ab3c"), "Color #12AB3C");
  EXPECT_EQ(colour_display_name(""), "Color #");
  // Only the exact six digits are named; blanks are not removed here.
  EXPECT_EQ(colour_display_name(" FFFFFF"), "Color # FFFFFF");
  EXPECT_EQ(colour_display_name("FFFFFF0"), "Color #FFFFFF0");
  EXPECT_EQ(colour_display_name("#FFFFFF"), "Color ##FFFFFF");
}

TEST_F(ColourNamesTest, DefaultPaletteIsFullyNamed) {
  std::vector<std::string> names;
  for (const std::string& colour : split(kDefaultPalette, ',')) {
    names.push_back(colour_display_name(colour));
  }
  const std::vector<std::string> expected = {"Black", "White", "Red",  "Orange", "Yellow",
                                             "Green", "Aqua",  "Blue", "Violet"};
  EXPECT_EQ(names, expected);
}

TEST_F(ColourNamesTest, NamesComeFromTheCatalogue) {
  static constexpr CatalogueSourceEntry kTable[] = {
      {"_GROUP_", "Preferences"}, {"Orange", "Orangé"}, {"Color", "Farbe"}, {"_END_", ""}};
  build_catalogue_from(kTable);
  EXPECT_EQ(colour_display_name("FF8000"), "Orangé");
  EXPECT_EQ(colour_display_name("123456"), "Farbe #123456");
  EXPECT_EQ(colour_display_name("FFFFFF"), std::string(kNoStringError));
  build_catalogue();
}

}  // namespace
}  // namespace pixmera
