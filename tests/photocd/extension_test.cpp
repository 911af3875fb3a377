// The Image Pac extension reader on small hand-built extensions: every file
// split, sequence count and order decodes to the same planes on any number
// of threads, and every field that can lie is caught.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <stdexcept>

#include "extension_builder.h"
#include "photocd/image_pac_extension.h"
#include "photocd/parallel.h"

namespace pixmera::photocd {
namespace {

using testing::BuiltExtension;
using testing::ExtensionPlan;

// A prediction with samples at both ends of the range, so clipping shows.
YccPlanes prediction(Size luma) {
  YccPlanes planes{Plane(luma.width, luma.height), Plane(luma.width / 2, luma.height / 2),
                   Plane(luma.width / 2, luma.height / 2)};
  int i = 0;
  for (Plane* plane : {&planes.luma, &planes.chroma1, &planes.chroma2}) {
    for (std::uint8_t& sample : plane->samples) {
      sample = static_cast<std::uint8_t>(i % 5 == 0 ? 1 : (i % 5 == 1 ? 254 : 60 + i % 131));
      ++i;
    }
  }
  return planes;
}

struct Decoded {
  bool ok = false;
  std::string why;
  YccPlanes planes;
};

Decoded decode(const BuiltExtension& built, Size luma, int threads = 2) {
  Decoded result;
  auto extension = read_extension_info(built.info, luma, result.why);
  if (!extension) return result;
  std::vector<std::span<const std::uint8_t>> files(built.files.begin(), built.files.end());
  result.planes = prediction(luma);
  result.ok = add_extension_deltas(*extension, files, result.planes, result.why, threads);
  return result;
}

void expect_deltas_applied(const Decoded& decoded, const BuiltExtension& built, Size luma,
                           int layers, const std::string& what) {
  ASSERT_TRUE(decoded.ok) << what << ": " << decoded.why;
  const YccPlanes predicted = prediction(luma);
  const Plane* before[3] = {&predicted.luma, &predicted.chroma1, &predicted.chroma2};
  const Plane* after[3] = {&decoded.planes.luma, &decoded.planes.chroma1, &decoded.planes.chroma2};
  for (int layer = 0; layer < 3; ++layer) {
    const auto& samples = before[layer]->samples;
    std::vector<std::uint8_t> expected = samples;
    if (layer < layers) {
      for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<std::uint8_t>(
            std::clamp(samples[i] + built.deltas[static_cast<std::size_t>(layer)][i], 0, 255));
      }
    }
    EXPECT_EQ(after[layer]->samples, expected) << what << ", layer " << layer;
  }
}

TEST(Extension, EveryLayoutDecodesToTheSamePlanesOnAnyNumberOfThreads) {
  const Size luma{64, 20};
  for (const ExtensionPlan& plan : {
           ExtensionPlan{luma, 1, 3, 1, 0, false}, ExtensionPlan{luma, 4, 3, 2, 0, false},
           ExtensionPlan{luma, 16, 3, 1, 0, true},
           ExtensionPlan{luma, 8, 3, 2, 13, true},    // syncs off the byte grid
           ExtensionPlan{luma, 2, 1, 1, 100, false},  // luma only, filler before each sync
       }) {
    const std::string what = std::to_string(plan.sequences_per_row) + " per row, " +
                             std::to_string(plan.luma_files) + " luma files, " +
                             std::to_string(plan.layers) + " layers, filler " +
                             std::to_string(plan.filler_bits);
    const BuiltExtension built = testing::build_extension(plan);
    const Decoded one = decode(built, luma, 1);
    expect_deltas_applied(one, built, luma, plan.layers, what);
    for (int threads : {2, 3, 7, 64}) {
      const Decoded many = decode(built, luma, threads);
      ASSERT_TRUE(many.ok) << what << ", " << threads << " threads: " << many.why;
      EXPECT_EQ(many.planes.luma.samples, one.planes.luma.samples) << what << threads;
      EXPECT_EQ(many.planes.chroma2.samples, one.planes.chroma2.samples) << what << threads;
    }
  }
}

// One change to a valid extension, and the words its failure must name.
struct Lie {
  const char* what;
  std::function<void(BuiltExtension&)> change;
  const char* why;
};

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

TEST(Extension, EveryLieIsCaught) {
  const Size luma{32, 16};
  const ExtensionPlan plan{luma, 4, 3, 2, 0, false};
  using testing::descriptions_at;
  using testing::names_at;
  using testing::tables_at;
  const std::size_t luma_record = descriptions_at + 2;
  const std::size_t c1_record = luma_record + testing::layer_record_bytes;
  const std::vector<Lie> lies{
      {"INFO.IC cut inside its header", [](auto& b) { b.info.resize(0x30); }, "header"},
      {"INFO.IC cut inside the pointers", [](auto& b) { b.info.resize(b.pointer_lists[2] + 10); },
       "pointer list"},
      {"descriptions outside", [](auto& b) { put32(b.info, 0x2C, 0xFFFFFFF0); }, "outside"},
      {"names outside", [](auto& b) { put32(b.info, 0x30, 0x7FFFFFFF); }, "outside"},
      {"first pointers field differs", [](auto& b) { put32(b.info, 0x34, 0x310); },
       "header places"},
      {"first table field differs", [](auto& b) { put32(b.info, 0x38, 0x201); }, "header places"},
      {"two layers", [](auto& b) { b.info[descriptions_at + 1] = 2; }, "2 layers"},
      {"record length 4", [=](auto& b) { b.info[luma_record + 1] = 4; }, "claims 4 bytes"},
      {"record length too long", [=](auto& b) { b.info[luma_record] = 0xFF; }, "runs past"},
      {"C1 layer says C2", [=](auto& b) { b.info[c1_record + 2] = 2; }, "component 2"},
      {"luma width", [=](auto& b) { b.info[luma_record + 5] = 64; }, "64x16"},
      {"chroma height", [=](auto& b) { b.info[c1_record + 7] = 9; }, "16x9"},
      {"column offset", [=](auto& b) { b.info[luma_record + 9] = 8; }, "column 8"},
      {"sequence length 0", [=](auto& b) { put32(b.info, luma_record + 10, 0); }, "sequences of 0"},
      {"sequence length not dividing", [=](auto& b) { put32(b.info, luma_record + 10, 5); },
       "sequences of 5"},
      {"sequence length 1: 32 to a row", [=](auto& b) { put32(b.info, luma_record + 10, 1); },
       "sequences of 1"},
      {"pointer list far out", [=](auto& b) { put32(b.info, c1_record + 14, 0xFFFFFFFA); },
       "runs past"},
      {"table outside", [=](auto& b) { put32(b.info, c1_record + 18, 0x10000); }, "table at"},
      {"table with a 17-bit code", [](auto& b) { b.info[tables_at + 1] = 16; }, "17 bits"},
      {"table count runs off the end",
       [=](auto& b) {
         put32(b.info, c1_record + 18, static_cast<std::uint32_t>(b.info.size() - 3));
         b.info[b.info.size() - 3] = 0xFF;
       },
       "entries needs"},
      {"no files", [](auto& b) { b.info[names_at + 1] = 0; }, "names 0 files"},
      {"file count past the end",
       [](auto& b) {
         b.info[names_at] = 0;
         b.info[names_at + 1] = 16;
         b.info.resize(names_at + 40);
       },
       "runs past"},
      {"a name with a folder", [](auto& b) { b.info[names_at + 2 + 3] = '/'; }, "8.3"},
      {"a name with bytes after its end", [](auto& b) { b.info[names_at + 2 + 11] = 'X'; }, "8.3"},
      {"a name going up",
       [](auto& b) {
         for (int i = 0; i < 12; ++i)
           b.info[names_at + 2 + static_cast<std::size_t>(i)] = i < 2 ? '.' : 0;
       },
       "8.3"},
      {"pointer to file 9", [](auto& b) { b.info[b.pointer_lists[0] + 1] = 9; },
       "points to file 9"},
      {"pointer past its file's stated size",
       [](auto& b) {
         put32(b.info, b.pointer_lists[1] + 2, static_cast<std::uint32_t>(b.files[2].size()));
       },
       "which no file it names holds"},
      {"pointer to the next sequence",
       [](auto& b) {
         std::copy_n(b.info.begin() + static_cast<std::ptrdiff_t>(b.pointer_lists[0] + 6), 6,
                     b.info.begin() + static_cast<std::ptrdiff_t>(b.pointer_lists[0]));
       },
       "luma row 0 sequence 0 (Y0001.ICR byte 0x9): the sequence there is plane 0 row 0 sequence "
       "1"},
      {"pointer into the zero fill after the terminator",
       [](auto& b) {
         put32(b.info, b.pointer_lists[2] + 12 + 2,
               static_cast<std::uint32_t>(b.files[3].size() - 10));
       },
       "C2 row 0 sequence 2"},
      {"stated size larger than the file",
       [](auto& b) {
         put32(b.info, names_at + 2 + 16 + 12, static_cast<std::uint32_t>(b.files[1].size() + 1));
       },
       "Y0002.ICR holds"},
      {"stated size ends inside the last sequence",
       [](auto& b) {
         put32(b.info, names_at + 2 + 48 + 12, static_cast<std::uint32_t>(b.files[3].size() - 24));
       },
       "C2 row 7 sequence 3 (C2_0001.ICR byte 0x"},
      {"a file missing", [](auto& b) { b.files.pop_back(); }, "3 extension files given"},
      {"a sequence header names the wrong plane", [](auto& b) { b.files[2][3] = 0x20; }, "plane 2"},
      {"a code that is no code",
       [](auto& b) {
         b.files[0][8] = 0xFF;
         b.files[0][9] = 0xFF;
       },
       "no code"},
      {"a sync broken", [](auto& b) { b.files[3][0] = 0x7F; }, "C2 row 0 sequence 0"},
  };
  const BuiltExtension intact = testing::build_extension(plan);
  ASSERT_TRUE(decode(intact, luma).ok) << decode(intact, luma).why;
  for (const Lie& lie : lies) {
    BuiltExtension changed = intact;
    lie.change(changed);
    const Decoded decoded = decode(changed, luma);
    EXPECT_FALSE(decoded.ok) << lie.what;
    EXPECT_NE(decoded.why.find(lie.why), std::string::npos) << lie.what << ": " << decoded.why;
  }
}

TEST(Parallel, EachIndexOnceAndExceptionsReachTheCaller) {
  for (int threads : {1, 2, 5, 100}) {
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{1000}}) {
      std::vector<int> seen(count, 0);
      parallel_for(
          count,
          [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) ++seen[i];
          },
          threads);
      EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<std::ptrdiff_t>(count))
          << count << " on " << threads;
    }
    EXPECT_THROW(parallel_for(
                     10,
                     [](std::size_t, std::size_t end) {
                       if (end == 10) throw std::runtime_error("piece");
                     },
                     threads),
                 std::runtime_error)
        << threads;
  }
  const char* saved = std::getenv("PIXMERA_THREADS");
  const std::string old = saved != nullptr ? saved : "";
  ::setenv("PIXMERA_THREADS", "3", 1);
  EXPECT_EQ(thread_count(), 3);
  ::setenv("PIXMERA_THREADS", "1", 1);
  EXPECT_EQ(thread_count(), 1);
  for (const char* ignored : {"0", "-2", "two", "4x", ""}) {
    ::setenv("PIXMERA_THREADS", ignored, 1);
    EXPECT_GE(thread_count(), 1) << ignored;
    EXPECT_LE(thread_count(), 8) << ignored;
  }
  if (saved != nullptr) {
    ::setenv("PIXMERA_THREADS", old.c_str(), 1);
  } else {
    ::unsetenv("PIXMERA_THREADS");
  }
}

}  // namespace
}  // namespace pixmera::photocd
