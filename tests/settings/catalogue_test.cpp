#include "settings/catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/keywords.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {
namespace {

const std::string kMissing(kNoStringError);

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { build_catalogue(); }
  void TearDown() override { build_catalogue(); }
};

// The groups of the built-in table with their pairs, in table order.
std::vector<std::pair<std::string, std::vector<CatalogueSourceEntry>>> source_groups() {
  std::vector<std::pair<std::string, std::vector<CatalogueSourceEntry>>> groups;
  for (const CatalogueSourceEntry& pair : catalogue_source_table()) {
    const std::string first = to_upper(pair.first);
    if (first == "_END_") break;
    if (first == "_GROUP_") {
      groups.emplace_back(std::string(pair.second), std::vector<CatalogueSourceEntry>{});
    } else if (!groups.empty()) {
      groups.back().second.push_back(pair);
    }
  }
  return groups;
}

TEST_F(CatalogueTest, LookupIgnoresLetterCase) {
  EXPECT_EQ(catalogue_text("msg", "unable to open file"), "Unable to open the file: %s1%!");
  EXPECT_EQ(catalogue_text("MSG", "UNABLE TO OPEN FILE"), "Unable to open the file: %s1%!");
  EXPECT_EQ(catalogue_text("cUSTOM-cONVERTER", "tITLE"), "Find a File Converter");
}

TEST_F(CatalogueTest, UnknownGroupOrKeyGivesTheErrorText) {
  EXPECT_EQ(catalogue_text("Msg", "No such key"), kMissing);
  EXPECT_EQ(catalogue_text("No such group", "Unable to open file"), kMissing);
  EXPECT_EQ(catalogue_text("", "Unable to open file"), kMissing);
  EXPECT_EQ(catalogue_text("Msg", ""), kMissing);
  // Sorts between two existing keys of the same first letter: the search
  // must stop, not run on into the next entries.
  EXPECT_EQ(catalogue_text("Msg", "Unable to open filf"), kMissing);
  EXPECT_EQ(catalogue_text("Msg", "Unable to open fil"), kMissing);
  // Past the last entry of the group, and a key of another group.
  EXPECT_EQ(catalogue_text("Msg", "ZZZ"), kMissing);
  EXPECT_EQ(catalogue_text("Msg", "All Supported Files"), kMissing);
}

TEST_F(CatalogueTest, KeyBeginningWithANonAsciiCharacterIsNeverFound) {
  EXPECT_EQ(catalogue_text("Msg", "\xC3\x9Cnable to open file"), kMissing);
  EXPECT_EQ(catalogue_text("Preferences", "\xE2\x82\xAC"), kMissing);
  EXPECT_EQ(catalogue_text("Preferences", "\xFF"), kMissing);
  EXPECT_EQ(catalogue_text("Preferences", std::string(1, '\x80') + "Color"), kMissing);
}

TEST_F(CatalogueTest, AlternatingGroupsSwitchTheCurrentGroupEachTime) {
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(catalogue_text("Msg", "Progress"), "(%s1%/%s2%)");
    EXPECT_EQ(catalogue_text("Dialog", "Time Unknown"), "Unknown");
    EXPECT_EQ(catalogue_text("Nowhere", "Progress"), kMissing);
    EXPECT_EQ(catalogue_text("About", "Version"), "Version:");
    EXPECT_EQ(catalogue_text("Msg", "Files converted"), "Files converted: %s1% of %s2%");
  }
  // A key that exists in several groups gives the text of the group asked for.
  EXPECT_EQ(catalogue_text("Preferences", "Title"), "Preferences");
  EXPECT_EQ(catalogue_text("About", "Title"), "About");
  EXPECT_EQ(catalogue_text("Custom-Converter", "Title"), "Find a File Converter");
  EXPECT_EQ(catalogue_text("Menu", "Preferences"), "Preferences...");
}

TEST_F(CatalogueTest, EveryEntryOfTheTableIsFoundWithItsText) {
  size_t checked = 0;
  for (const auto& [group, pairs] : source_groups()) {
    for (const CatalogueSourceEntry& pair : pairs) {
      EXPECT_EQ(catalogue_text(group, pair.first), pair.second) << group << " / " << pair.first;
      EXPECT_EQ(catalogue_text(to_lower(group), to_lower(pair.first)), pair.second);
      ++checked;
    }
  }
  EXPECT_GT(checked, 400u);
}

TEST_F(CatalogueTest, TableHasTheGroupsInOrderAndSoundKeys) {
  std::vector<std::string> names;
  for (const auto& [group, pairs] : source_groups()) {
    names.push_back(group);
    std::set<std::string> keys;
    for (const CatalogueSourceEntry& pair : pairs) {
      EXPECT_TRUE(keys.insert(to_upper(pair.first)).second)
          << "duplicate key " << group << " / " << pair.first;
      ASSERT_FALSE(pair.first.empty()) << group;
      for (char c : pair.first) {
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "key not printable ASCII: " << pair.first;
      }
      EXPECT_FALSE(pair.second.empty()) << group << " / " << pair.first;
      EXPECT_EQ(trim_spaces(pair.second), pair.second) << group << " / " << pair.first;
      EXPECT_EQ(pair.second.find("  "), std::string_view::npos) << pair.second;
    }
  }
  const std::vector<std::string> expected = {
      "Menu", "General", "Msg", "Dialog", "Preferences", "About", "Custom-Converter", "Uninstall"};
  EXPECT_EQ(names, expected);
  ASSERT_FALSE(catalogue_source_table().empty());
  EXPECT_EQ(to_upper(catalogue_source_table().back().first), "_END_");
}

TEST_F(CatalogueTest, PreferencesGroupIsTheLargest) {
  std::map<std::string, size_t> sizes;
  for (const auto& [group, pairs] : source_groups()) sizes[group] = pairs.size();
  EXPECT_GT(sizes["Preferences"], 200u);
  for (const auto& [group, size] : sizes) {
    if (group != "Preferences") {
      EXPECT_LT(size, sizes["Preferences"]) << group;
    }
  }
}

// Texts that the rest of the program quotes word for word.
TEST_F(CatalogueTest, QuotedTextsHaveTheirExactWording) {
  struct Quoted {
    const char* group;
    const char* key;
    const char* text;
  };
  const Quoted quoted[] = {
      {"Menu", "File", "File"},
      {"Menu", "Select Input File", "Add Input File..."},
      {"Menu", "Select Input Folder", "Add Input Folder..."},
      {"Menu", "Output Format Options", "Options..."},
      {"Menu", "Preferences", "Preferences..."},
      {"General", "Input Files", "Input Files:"},
      {"General", "Ready", "Ready"},
      {"General", "Converting", "Converting..."},
      {"General", "Preparing", "Preparing..."},
      {"General", "Importing", "Importing..."},
      {"Msg", "Unable to open file", "Unable to open the file: %s1%!"},
      {"Msg", "Invalid width", "Invalid resize width value!"},
      {"Msg", "Files converted", "Files converted: %s1% of %s2%"},
      {"Msg", "Progress", "(%s1%/%s2%)"},
      {"Msg", "Ask reset to defaults",
       "Are you sure you want to reset all your settings to the default values?"},
      {"Msg", "Import complete", "Import complete, new files added: %s1%"},
      {"Msg", "Conversion is not complete", "Conversion stopped"},
      {"Msg", "Empty input files",
       "No input file(s) found. Please, add valid file(s) and try again!"},
      {"Dialog", "All Supported Files", "All Supported Files"},
      {"Dialog", "All Files", "All Files"},
      {"Dialog", "Time Remaining", "Time Remaining: %s1%"},
      {"Dialog", "Time Unknown", "Unknown"},
      {"Dialog", "Defaults", "Defaults"},
      {"Preferences", "Color", "Color"},
      {"About", "Version", "Version:"},
      {"About", "Website", "Web:"},
      {"Custom-Converter", "Title", "Find a File Converter"},
      {"Custom-Converter", "From", "From:"},
      {"Custom-Converter", "To", "To:"},
      {"Uninstall", "Next", "Next"},
  };
  for (const Quoted& q : quoted) {
    EXPECT_EQ(catalogue_text(q.group, q.key), q.text) << q.group << " / " << q.key;
  }
}

TEST_F(CatalogueTest, WindowTextsExist) {
  struct Needed {
    const char* group;
    std::vector<const char*> keys;
  };
  const Needed needed[] = {
      {"Menu",
       {"File",
        "New",
        "Select Input File",
        "Select Input Folder",
        "Select Input Files",
        "Select Output Folder",
        "Exit",
        "Converter",
        "Convert",
        "Custom Converter",
        "Preferences",
        "Help",
        "Manual",
        "Send Feedback",
        "Visit Homepage",
        "Check For New Version",
        "About",
        "Copy",
        "Delete",
        "Select All",
        "Output Format Options"}},
      {"General", {"Input File", "Output Folder", "Output Format", "Preparing", "Importing"}},
      {"Msg",
       {"Warning", "Conversion complete", "Empty output folder", "Invalid output folder",
        "Invalid height", "Invalid watermark font", "Empty watermark image",
        "Invalid watermark image", "Ask break conversion"}},
      {"Dialog", {"Select Output Folder", "Select Input Files", "Convert Progress"}},
      {"Preferences",
       {"General", "Interface", "Input", "Output", "Transform", "Adjustment", "Frame", "Watermark",
        "Advanced"}},
      {"Custom-Converter", {"Search"}},
      {"Uninstall", {"Title", "Uninstall Text"}},
  };
  for (const Needed& n : needed) {
    for (const char* key : n.keys) {
      EXPECT_NE(catalogue_text(n.group, key), kMissing) << n.group << " / " << key;
    }
  }
  // Texts with a placeholder for the name they report.
  for (const char* key :
       {"Invalid output folder", "Invalid watermark font", "Invalid watermark image"}) {
    EXPECT_NE(catalogue_text("Msg", key).find("%s1%"), std::string::npos) << key;
  }
}

TEST_F(CatalogueTest, EverySettingHasALabel) {
  // The file version and the window geometry are not shown in any dialog.
  const std::set<std::string> internal = {"CFG", "IsMaximized", "Width", "Height", "X", "Y"};
  for (const SettingField& field : setting_fields()) {
    if (internal.contains(std::string(field.key))) continue;
    EXPECT_NE(catalogue_text("Preferences", field.key), kMissing)
        << field.group << " / " << field.key;
  }
}

TEST_F(CatalogueTest, EveryKeywordHasADisplayWord) {
  for (int32_t family = 0; family <= kFamilyPhotoCdColorSpace; ++family) {
    ASSERT_FALSE(keyword_family(family).empty()) << family;
    for (const Keyword& keyword : keyword_family(family)) {
      const std::string text = keyword_display_text(family, keyword.word);
      EXPECT_NE(text, kMissing) << keyword_family_name(family) << " " << keyword.word;
    }
  }
  EXPECT_EQ(keyword_display_text(kFamilyCompression, "LZW"), "LZW");
  EXPECT_EQ(keyword_display_text(kFamilyPosition, "bottomright"), "Bottom Right");
  EXPECT_EQ(keyword_display_text(kFamilyJpegChroma, "NONE"), "None (4:4:4)");
  EXPECT_EQ(keyword_display_text(25, "NONE"), kMissing);
  EXPECT_EQ(keyword_display_text(kFamilyCompression, "BOGUS"), kMissing);
}

// A built table from a made-up source: the markers, the sort and the slots.
TEST_F(CatalogueTest, BuildFollowsTheMarkersOfAnyTable) {
  static constexpr CatalogueSourceEntry kTable[] = {
      {"Orphan", "before any group"},
      {"_group_", "First"},
      {"beta", "B"},
      {"alpha", "A"},
      {"Alpha2", "A2"},
      {"same", "first of two"},
      {"SAME", "second of two"},
      {"_GROUP_", "Empty"},
      {"_Group_", "second"},
      {"k", "K"},
      {"_end_", ""},
      {"after", "end"},
  };
  build_catalogue_from(kTable);
  EXPECT_EQ(catalogue_text("first", "ALPHA"), "A");
  EXPECT_EQ(catalogue_text("first", "alpha2"), "A2");
  EXPECT_EQ(catalogue_text("first", "Beta"), "B");
  EXPECT_EQ(catalogue_text("first", "same"), "first of two");
  EXPECT_EQ(catalogue_text("first", "alph"), kMissing);
  EXPECT_EQ(catalogue_text("first", "Orphan"), kMissing);
  EXPECT_EQ(catalogue_text("empty", "k"), kMissing);
  EXPECT_EQ(catalogue_text("second", "k"), "K");
  EXPECT_EQ(catalogue_text("second", "after"), kMissing);
  EXPECT_EQ(catalogue_text("", "Orphan"), kMissing);

  build_catalogue();
  EXPECT_EQ(catalogue_text("first", "ALPHA"), kMissing);
  EXPECT_EQ(catalogue_text("Msg", "Progress"), "(%s1%/%s2%)");
}

TEST_F(CatalogueTest, EmptyTableFindsNothing) {
  static constexpr CatalogueSourceEntry kTable[] = {{"_END_", ""}};
  build_catalogue_from(kTable);
  EXPECT_EQ(catalogue_text("Msg", "Progress"), kMissing);
  build_catalogue_from({});
  EXPECT_EQ(catalogue_text("Msg", "Progress"), kMissing);
}

// Every catalogue_text("Group", "Key") call with literal arguments anywhere in
// the program must name a text of the table.
struct LiteralLookup {
  std::string file;
  std::string group;
  std::string key;
};

// Reads a C++ string literal at `pos` (after blanks); false when there is none.
bool read_literal(const std::string& text, size_t& pos, std::string& out) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  if (pos >= text.size() || text[pos] != '"') return false;
  out.clear();
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] == '\\' && pos + 1 < text.size()) {
      out += text[++pos];
    } else if (text[pos] == '"') {
      ++pos;
      return true;
    } else {
      out += text[pos];
    }
  }
  return false;
}

bool read_char(const std::string& text, size_t& pos, char c) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

std::vector<LiteralLookup> literal_lookups(const std::string& file, const std::string& text) {
  static const std::string kName = "catalogue_text";
  std::vector<LiteralLookup> found;
  for (size_t hit = text.find(kName); hit != std::string::npos; hit = text.find(kName, hit + 1)) {
    // Not part of a longer name such as "my_catalogue_text".
    if (hit > 0 &&
        (std::isalnum(static_cast<unsigned char>(text[hit - 1])) || text[hit - 1] == '_')) {
      continue;
    }
    size_t pos = hit + kName.size();
    LiteralLookup lookup{file, {}, {}};
    if (read_char(text, pos, '(') && read_literal(text, pos, lookup.group) &&
        read_char(text, pos, ',') && read_literal(text, pos, lookup.key) &&
        read_char(text, pos, ')')) {
      found.push_back(lookup);
    }
  }
  return found;
}

TEST(CatalogueScan, FinderReadsCallsSpreadOverLines) {
  const auto found =
      literal_lookups("x.cpp",
                      "a = catalogue_text(\n   \"Msg\" ,\n\t\"Key \\\"q\\\"\"  );\n"
                      "my_catalogue_text(\"No\", \"No\"); catalogue_text(group, \"Key\");");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].group, "Msg");
  EXPECT_EQ(found[0].key, "Key \"q\"");
}

TEST(CatalogueScan, EveryLiteralLookupInTheSourcesIsInTheTable) {
  build_catalogue();
  std::vector<LiteralLookup> lookups;
  const std::filesystem::path root = std::filesystem::path(PIXMERA_SOURCE_DIR) / "src";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const auto found =
        literal_lookups(entry.path().lexically_relative(root).string(), buffer.str());
    lookups.insert(lookups.end(), found.begin(), found.end());
  }
  ASSERT_FALSE(lookups.empty()) << "no catalogue_text(\"Group\", \"Key\") call found under "
                                << root;
  for (const LiteralLookup& lookup : lookups) {
    EXPECT_NE(catalogue_text(lookup.group, lookup.key), kMissing)
        << lookup.file << ": catalogue_text(\"" << lookup.group << "\", \"" << lookup.key
        << "\") has no text";
  }
}

}  // namespace
}  // namespace pixmera
