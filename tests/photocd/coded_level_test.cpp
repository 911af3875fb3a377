#include "photocd/coded_level.h"

#include <gtest/gtest.h>

#include <functional>

#include "coded_stream.h"

namespace pixmera::photocd {
namespace {

using testing::CodedStream;

constexpr int width = 8;
constexpr int height = 4;

// Luma 8x4 and chroma 4x2 (or another size), every predicted sample 100,
// `table_count` copies of a table (the small one unless given).
struct SmallLevel {
  std::vector<HuffmanTable> tables;
  CodedLevelTables view;
  YccPlanes planes;
  CodedLevelEnd end;
  std::string why;

  explicit SmallLevel(int table_count = 3, int w = width, int h = height,
                      const std::vector<testing::TableEntry>& entries = testing::small_table())
      : planes{Plane(w, h), Plane(w / 2, h / 2), Plane(w / 2, h / 2)} {
    const auto bytes = testing::table_bytes(entries);
    std::size_t consumed = 0;
    for (int i = 0; i < table_count; ++i)
      tables.push_back(*HuffmanTable::parse(bytes, consumed, why));
    for (std::size_t i = 0; i < tables.size(); ++i) view.plane[i] = &tables[i];
    for (Plane* p : {&planes.luma, &planes.chroma1, &planes.chroma2})
      std::fill(p->samples.begin(), p->samples.end(), 100);
  }

  // Decodes one row after another, and checks that the side-by-side decode
  // on several threads gives the same answer: success or failure, the
  // reason, the terminator and every sample.
  bool decode(const std::vector<std::uint8_t>& bytes) {
    const YccPlanes prediction = planes;
    const bool decoded = add_coded_rows(bytes, view, planes, end, why);
    for (int threads : {2, 3, 8}) {
      YccPlanes side;
      CodedLevelEnd side_end;
      std::string side_why;
      const bool side_decoded = add_coded_rows(
          bytes, view, [&](YccPlanes& p) { p = prediction; }, side, side_end, side_why, threads);
      EXPECT_EQ(side_decoded, decoded) << threads << " threads: " << side_why;
      EXPECT_EQ(side_why, why) << threads << " threads";
      EXPECT_EQ(side_end.terminator_end, end.terminator_end) << threads << " threads";
      if (decoded && side_decoded) {
        EXPECT_EQ(side.luma.samples, planes.luma.samples) << threads << " threads";
        EXPECT_EQ(side.chroma1.samples, planes.chroma1.samples) << threads << " threads";
        EXPECT_EQ(side.chroma2.samples, planes.chroma2.samples) << threads << " threads";
      }
    }
    return decoded;
  }
};

// Plane 0 is luma, 2 and 3 chroma; each row gets its own delta pattern.
int delta_at(int plane, int row, int x) {
  return plane == 0 ? (x + row) % 7 - 3 : (plane == 2 ? 1 : -1) * ((x + row) % 4);
}

void write_row(CodedStream& s, int plane, int row) {
  const int samples = plane == 0 ? width : width / 2;
  std::vector<int> deltas;
  for (int x = 0; x < samples; ++x) deltas.push_back(delta_at(plane, row, x));
  s.row_header(plane, plane == 0 ? row : 2 * row);
  s.codes(testing::small_table(), deltas);
}

void write_luma(CodedStream& s) {
  for (int r = 0; r < height; ++r) write_row(s, 0, r);
}

void expect_deltas_applied(const SmallLevel& level, bool chroma) {
  for (int plane : {0, 2, 3}) {
    const Plane& p =
        plane == 0 ? level.planes.luma : (plane == 2 ? level.planes.chroma1 : level.planes.chroma2);
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const int expected = 100 + (plane == 0 || chroma ? delta_at(plane, y, x) : 0);
        EXPECT_EQ(p.row(y)[x], expected) << "plane " << plane << " at " << x << "," << y;
      }
    }
  }
}

TEST(CodedLevel, RowsInAnyOrderAddTheirDeltas) {
  CodedStream interleaved;
  for (int k = 0; k < height / 2; ++k) {
    write_row(interleaved, 0, 2 * k);
    write_row(interleaved, 0, 2 * k + 1);
    write_row(interleaved, 2, k);
    write_row(interleaved, 3, k);
  }
  CodedStream reversed;
  for (int k = height / 2 - 1; k >= 0; --k) write_row(reversed, 3, k);
  for (int r = height - 1; r >= 0; --r) write_row(reversed, 0, r);
  for (int k = 0; k < height / 2; ++k) write_row(reversed, 2, k);
  for (CodedStream* s : {&interleaved, &reversed}) {
    SmallLevel level;
    ASSERT_TRUE(level.decode(s->finish())) << level.why;
    expect_deltas_applied(level, true);
  }
}

TEST(CodedLevel, LumaOnlyLevelKeepsThePredictedChroma) {
  CodedStream s;
  write_luma(s);
  SmallLevel level(1);  // like a 4Base table sector: the luma table alone
  ASSERT_TRUE(level.decode(s.finish())) << level.why;
  expect_deltas_applied(level, false);
}

TEST(CodedLevel, FillerBeforeASyncIsSkipped) {
  CodedStream s;
  for (int r = 0; r < height; ++r) {
    s.bits(0x5A, 8);
    s.bits(0b1111111, 7);  // ones that almost form a sync
    s.bits(0, 3);
    write_row(s, 0, r);
  }
  SmallLevel level;
  ASSERT_TRUE(level.decode(s.finish())) << level.why;
  expect_deltas_applied(level, false);
}

TEST(CodedLevel, DeltasClipAtBothEnds) {
  CodedStream s;
  for (int r = 0; r < height; ++r) {
    s.row_header(0, r);
    s.codes(testing::small_table(), std::vector<int>(width, r < 2 ? 3 : -3));
  }
  SmallLevel level;
  for (int y = 0; y < height; ++y) std::fill_n(level.planes.luma.row(y), width, y < 2 ? 254 : 1);
  ASSERT_TRUE(level.decode(s.finish())) << level.why;
  for (int y = 0; y < height; ++y) EXPECT_EQ(level.planes.luma.row(y)[width - 1], y < 2 ? 255 : 0);
}

TEST(CodedLevel, TerminatorEndsTheLevelAndIsReported) {
  CodedStream s;
  write_luma(s);
  s.row_header(0, height);
  const std::size_t terminator_end = (s.bit_count() + 7) / 8;
  write_row(s, 0, 0);  // past the terminator: not this level's, not read
  SmallLevel level;
  ASSERT_TRUE(level.decode(s.finish())) << level.why;
  EXPECT_EQ(level.end.terminator_end, terminator_end);
  expect_deltas_applied(level, false);

  CodedStream unterminated;
  write_luma(unterminated);
  SmallLevel open_level;
  ASSERT_TRUE(open_level.decode(unterminated.finish()));
  EXPECT_EQ(open_level.end.terminator_end, 0u);
}

// Every way a level can be incomplete or inconsistent fails it.
TEST(CodedLevel, DamagedLevelsFail) {
  struct Case {
    const char* what;
    std::function<void(CodedStream&)> write;
    int tables = 3;
  };
  const std::vector<Case> cases{
      {"no rows", [](CodedStream& s) { s.row_header(0, height); }},
      {"a luma row missing",
       [](CodedStream& s) {
         for (int r = 1; r < height; ++r) write_row(s, 0, r);
       }},
      {"a luma row twice",
       [](CodedStream& s) {
         write_luma(s);
         write_row(s, 0, 1);
       }},
      {"half a chroma plane",
       [](CodedStream& s) {
         write_luma(s);
         write_row(s, 3, 1);
       }},
      {"odd row number landing on a chroma row already there",
       [](CodedStream& s) {
         write_luma(s);
         write_row(s, 2, 0);
         s.row_header(2, 1);
         s.codes(testing::small_table(), std::vector<int>(width / 2, 0));
       }},
      {"plane 1",
       [](CodedStream& s) {
         write_luma(s);
         s.row_header(1, 0);
         s.codes(testing::small_table(), std::vector<int>(width, 0));
       }},
      {"chroma rows without a chroma table",
       [](CodedStream& s) {
         write_luma(s);
         write_row(s, 2, 0);
         write_row(s, 2, 1);
       },
       1},
      {"a pattern that is no code",
       [](CodedStream& s) {
         for (int r = 0; r < height - 1; ++r) write_row(s, 0, r);
         s.row_header(0, height - 1);
         s.bits(0b000011110, 9);  // four zero-deltas, then unassigned 1111x
         s.bits(0, 8);
       }},
  };
  for (const Case& c : cases) {
    CodedStream s;
    c.write(s);
    SmallLevel level(c.tables);
    EXPECT_FALSE(level.decode(s.finish())) << c.what;
    EXPECT_FALSE(level.why.empty()) << c.what;
  }
}

TEST(CodedLevel, RowCutShortFails) {
  CodedStream s;
  for (int r = 0; r < height - 1; ++r) write_row(s, 0, r);
  s.row_header(0, height - 1);
  s.codes(testing::small_table(), std::vector<int>(width - 2, 1));
  if (s.bit_count() % 8 == 0) s.bits(1, 1);
  auto bytes = s.finish();
  // End inside the last code, not in zero padding that happens to decode.
  bytes.resize(s.bit_count() / 8);
  SmallLevel level;
  EXPECT_FALSE(level.decode(bytes));
  EXPECT_NE(level.why.find("cut short"), std::string::npos) << level.why;
}

// A code of all ones lets the codes of a row hold the sync pattern: 24 ones
// of twelve -1 deltas, then the zero of a 0 delta. The 16 bits after it read
// as a row header; whatever that header says, the rows one after another
// never look inside a row, and neither may the side-by-side decode.
TEST(CodedLevel, SyncPatternInsideARowIsCodesNotARow) {
  const std::vector<testing::TableEntry> ones{{1, 0b0, 0}, {2, 0b10, 1}, {2, 0b11, -1}};
  constexpr int wide = 32;
  struct Case {
    const char* what;
    std::vector<int> header_codes;  // the codes that spell the false header
  };
  const std::vector<Case> cases{
      // "10" then fourteen zeros: plane 2 (C1) row 0, a row no real one has.
      {"a chroma row the level leaves out", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // Fourteen zeros then "10": luma row 1, which the level has as well.
      {"a luma row that also comes for real", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      // Twelve zeros, "10", two zeros: luma row 4, the end of a 4-row level.
      {"the end of the level", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<int> inside(12, -1);
    inside.push_back(0);
    inside.insert(inside.end(), c.header_codes.begin(), c.header_codes.end());
    inside.resize(wide, 1);
    CodedStream s;
    for (int r = 0; r < height; ++r) {
      s.row_header(0, r);
      s.codes(ones, r == 0 || r == 2 ? inside : std::vector<int>(wide, 1));
    }
    SmallLevel level(3, wide, height, ones);
    ASSERT_TRUE(level.decode(s.finish())) << c.what << ": " << level.why;
    EXPECT_EQ(level.planes.luma.row(2)[12], 100) << c.what;
    EXPECT_EQ(level.planes.luma.row(2)[13], 100 + c.header_codes[0]) << c.what;
    EXPECT_EQ(level.planes.luma.row(3)[0], 101) << c.what;
    EXPECT_EQ(level.planes.chroma1.samples, std::vector<std::uint8_t>(wide / 2 * height / 2, 100))
        << c.what;
  }
}

// Enough rows that each thread gets many, in a shuffled order with filler
// between some of them; then the same stream with a row whose first code is
// no code and a row that repeats the one before, where the fault met first
// in the stream is the one reported.
TEST(CodedLevel, ManyRowsDecodeAlikeOnAnyNumberOfThreads) {
  constexpr int tall = 64;
  std::vector<std::pair<int, int>> rows;  // plane, row number
  for (int r = 0; r < tall; ++r) rows.emplace_back(0, r);
  for (int k = 0; k < tall / 2; ++k) {
    rows.emplace_back(2, 2 * k);
    rows.emplace_back(3, 2 * k);
  }
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::swap(rows[i], rows[(i * 37 + 11) % rows.size()]);
  const auto stream = [&](int bad_code_at, int repeat_at) {
    CodedStream s;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (i % 5 == 0) s.bits(0x3F, 9);  // filler: six ones, never a sync
      const auto [plane, number] = rows[static_cast<int>(i) == repeat_at ? i - 1 : i];
      s.row_header(plane, number);
      if (static_cast<int>(i) == bad_code_at) s.bits(0b11110, 5);  // no code starts so
      const int samples = plane == 0 ? width : width / 2;
      std::vector<int> deltas;
      for (int x = 0; x < samples; ++x) deltas.push_back((x + number + plane) % 7 - 3);
      s.codes(testing::small_table(), deltas);
    }
    s.row_header(0, tall);
    return s.finish();
  };
  SmallLevel whole(3, width, tall);
  ASSERT_TRUE(whole.decode(stream(-1, -1))) << whole.why;
  EXPECT_EQ(whole.planes.luma.row(5)[3], 100 + (3 + 5) % 7 - 3);

  const auto row_name = [&](std::size_t i) {
    const auto [plane, number] = rows[i];
    return (plane == 0   ? "luma row "
            : plane == 2 ? "C1 row "
                         : "C2 row ") +
           std::to_string(plane == 0 ? number : number / 2);
  };
  for (const auto& [bad_code_at, repeat_at] : {std::pair{40, 90}, std::pair{90, 40}}) {
    SmallLevel damaged(3, width, tall);
    EXPECT_FALSE(damaged.decode(stream(bad_code_at, repeat_at)));
    const std::string expected =
        bad_code_at < repeat_at
            ? row_name(static_cast<std::size_t>(bad_code_at)) + " holds a bit pattern"
            : row_name(static_cast<std::size_t>(repeat_at) - 1) + " appears twice";
    EXPECT_EQ(damaged.why.rfind(expected, 0), 0u) << damaged.why << ", expected " << expected;
  }
}

// A sync in the last bits of the data, with no room for its header, ends
// the rows as the data's end does.
TEST(CodedLevel, SyncWithoutRoomForItsHeaderEndsTheRows) {
  CodedStream s;
  write_luma(s);
  s.bits(0xFFFFFE, 24);
  s.bits(0, 8);
  SmallLevel level;
  ASSERT_TRUE(level.decode(s.finish())) << level.why;
  EXPECT_EQ(level.end.terminator_end, 0u);
  expect_deltas_applied(level, false);
}

}  // namespace
}  // namespace pixmera::photocd
