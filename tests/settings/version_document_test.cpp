// The version document's reader, the version comparison and the schedule of
// the automatic check.
#include "settings/version_document.h"

#include <gtest/gtest.h>

namespace pixmera {
namespace {

constexpr std::string_view kDocument =
    "version = 3.2\n"
    "date = 2027-03-01\n"
    "download = https://www.varnelo.example/pixmera/download/\n";

TEST(VersionDocument, ReadsTheThreeKeysInAnyOrderWithCommentsAndWindowsLineEnds) {
  VersionDocument document;
  std::string why;
  ASSERT_TRUE(parse_version_document(kDocument, document, why)) << why;
  EXPECT_EQ(document.version, "3.2");
  EXPECT_EQ(document.date, "2027-03-01");
  EXPECT_EQ(document.download, "https://www.varnelo.example/pixmera/download/");

  const std::string written_on_windows =
      "\xEF\xBB\xBF# pixmera\r\n\r\n  download\t=https://www.varnelo.example/d?v=3.10&x=%20\r\n"
      "date=2028-02-29\r\n   version =   3.10.1  ";
  ASSERT_TRUE(parse_version_document(written_on_windows, document, why)) << why;
  EXPECT_EQ(document.version, "3.10.1");
  EXPECT_EQ(document.date, "2028-02-29");
  EXPECT_EQ(document.download, "https://www.varnelo.example/d?v=3.10&x=%20");
}

TEST(VersionDocument, RefusesAnythingElseAndKeepsWhatItHad) {
  const std::string valid(kDocument);
  struct Case {
    std::string text;
    std::string why;
  };
  const Case refused[] = {
      {"", "no \"version\""},
      {"version = 3.2\ndate = 2027-03-01\n", "no \"download\""},
      {valid + "version = 3.3\n", "line 4: \"version\" a second time"},
      {valid + "channel = beta\n", "line 4: unknown key \"channel\""},
      {valid + "just words\n", "line 4: no \"key = value\""},
      {"VERSION = 3.2\n", "line 1: unknown key \"VERSION\""},
      {"version = 3.2a\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version = 3..2\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version = .3\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version = 1.2.3.4.5\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version = 99999\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version = -3\n", "line 1: \"version\" is not numbers separated by dots"},
      {"version =\n", "line 1: \"version\" is not numbers separated by dots"},
      {"date = 2027-02-29\n", "line 1: \"date\" is not a date YYYY-MM-DD"},
      {"date = 2027-13-01\n", "line 1: \"date\" is not a date YYYY-MM-DD"},
      {"date = 27-03-01\n", "line 1: \"date\" is not a date YYYY-MM-DD"},
      {"download = http://www.varnelo.example/\n",
       "line 1: \"download\" is not an https:// address"},
      {"download = javascript:alert(1)\n", "line 1: \"download\" is not an https:// address"},
      {"download = https://\n", "line 1: \"download\" is not an https:// address"},
      {"download = https://a b/\n", "line 1: \"download\" is not an https:// address"},
      {"download = https://x/\"><script>\n", "line 1: \"download\" is not an https:// address"},
      {"download = https://" + std::string(300, 'a') + "\n",
       "line 1: \"download\" is not an https:// address"},
      {"version = 3.2\r\r\n", "line 1: a character that is not printable ASCII"},
      {std::string("version = 3.2\0\n", 15), "line 1: a character that is not printable ASCII"},
      {"# caf\xC3\xA9\n", "line 1: a character that is not printable ASCII"},
      {valid + "#" + std::string(4096, 'x'), "longer than 4096 bytes"},
  };
  for (const Case& c : refused) {
    VersionDocument document{"kept", "kept", "kept"};
    std::string why;
    EXPECT_FALSE(parse_version_document(c.text, document, why)) << c.text;
    EXPECT_EQ(why, c.why) << c.text;
    EXPECT_EQ(document.version, "kept");
  }
}

TEST(VersionDocument, VersionsCompareNumberByNumber) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  };
  const Case cases[] = {
      {"3.10", "3.9", 1},  {"3.1", "3.1.0", 0}, {"3.1.1", "3.1", 1}, {"3.01", "3.1", 0},
      {"10.0", "9.99", 1}, {"3.1", "3.2", -1},  {"4", "3.9.9.9", 1}, {"0.0.0.1", "0", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare_versions(c.a, c.b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(compare_versions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
  }
}

TEST(VersionDocument, TheAutomaticCheckIsDueWhenItsIntervalHasPassed) {
  constexpr int64_t kDay = 86400;
  constexpr int64_t kNow = 1'800'000'000;
  struct Case {
    int32_t range;
    int64_t days_ago;
    bool due;
  };
  const Case cases[] = {
      {0, 1, true},   {0, 0, false},   {1, 7, true},      {1, 6, false},
      {2, 30, true},  {2, 29, false},  {3, 90, true},     {3, 89, false},
      {4, 180, true}, {4, 179, false}, {5, 10000, false},                   // never
      {6, 30, true},  {6, 29, false},  {-1, 30, true},    {-1, 29, false},  // unknown: 30 days
      {2, -1, false},  // a few hours ahead: a clock's wobble
      {2, -2, true},   // well ahead: a clock that was wrong, so check now
  };
  for (const Case& c : cases) {
    EXPECT_EQ(update_check_due(c.range, kNow - c.days_ago * kDay, kNow), c.due)
        << "range " << c.range << ", " << c.days_ago << " days ago";
  }
}

}  // namespace
}  // namespace pixmera
