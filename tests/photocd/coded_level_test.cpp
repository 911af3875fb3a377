#include "photocd/coded_level.h"

#include <gtest/gtest.h>

#include <functional>

#include "coded_stream.h"

namespace pixmera::photocd {
namespace {

using testing::CodedStream;

constexpr int width = 8;
constexpr int height = 4;

// Luma 8x4 and chroma 4x2, every predicted sample 100, `table_count` copies
// of the small table.
struct SmallLevel {
  std::vector<HuffmanTable> tables;
  CodedLevelTables view;
  YccPlanes planes{Plane(width, height), Plane(width / 2, height / 2),
                   Plane(width / 2, height / 2)};
  CodedLevelEnd end;
  std::string why;

  explicit SmallLevel(int table_count = 3) {
    const auto bytes = testing::table_bytes(testing::small_table());
    std::size_t consumed = 0;
    for (int i = 0; i < table_count; ++i)
      tables.push_back(*HuffmanTable::parse(bytes, consumed, why));
    for (std::size_t i = 0; i < tables.size(); ++i) view.plane[i] = &tables[i];
    for (Plane* p : {&planes.luma, &planes.chroma1, &planes.chroma2})
      std::fill(p->samples.begin(), p->samples.end(), 100);
  }

  bool decode(const std::vector<std::uint8_t>& bytes) {
    return add_coded_rows(bytes, view, planes, end, why);
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

}  // namespace
}  // namespace pixmera::photocd
