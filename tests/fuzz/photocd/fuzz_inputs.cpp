#include "fuzz_inputs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "photocd/coded_level.h"
#include "photocd/decoder.h"
#include "photocd/image_pac_extension.h"
#include "photocd/image_pac_header.h"

namespace pixmera::photocd::fuzzing {

namespace {

std::uint32_t be24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every input is decoded on one thread and on several, which must give the
// same answer: the same picture, or the same failure for the same reason.
// Three threads split the work unevenly on any machine.
constexpr int several_threads = 3;

void same_or_abort(bool same, const char* what) {
  if (same) return;
  std::fprintf(stderr, "%s differs between one thread and %d\n", what, several_threads);
  std::abort();
}

bool same_planes(const YccPlanes& a, const YccPlanes& b) {
  return a.luma.samples == b.luma.samples && a.chroma1.samples == b.chroma1.samples &&
         a.chroma2.samples == b.chroma2.samples;
}

}  // namespace

void decode_file_input(std::span<const std::uint8_t> input) {
  for (std::uint64_t index = 0; index <= 6; ++index) {
    const Level level = level_for_index(index);
    const DecodeResult one = decode_image_pac(input, level, ChannelOrder::rgb, nullptr, 1);
    const DecodeResult several =
        decode_image_pac(input, level, ChannelOrder::rgb, nullptr, several_threads);
    same_or_abort(one.failure == several.failure && one.why == several.why &&
                      one.image.width == several.image.width &&
                      one.image.height == several.image.height &&
                      one.image.pixels == several.image.pixels,
                  "a whole file's decode");
  }
}

void decode_rows_input(std::span<const std::uint8_t> input) {
  if (input.size() < 3) return;
  const int width = 2 * (1 + input[0] % 64);
  const int height = 2 * (1 + input[1] % 32);
  const std::span<const std::uint8_t> body = input.subspan(3);
  const std::size_t rows_offset = std::min<std::size_t>(input[2] * std::size_t{4}, body.size());

  std::vector<HuffmanTable> tables;
  std::size_t offset = 0;
  for (int i = 0; i < 3 && offset <= rows_offset; ++i) {
    std::size_t consumed = 0;
    std::string why;
    auto table = HuffmanTable::parse(body.subspan(offset, rows_offset - offset), consumed, why);
    if (!table) break;
    tables.push_back(std::move(*table));
    offset += consumed;
  }
  if (tables.empty()) return;
  CodedLevelTables view;
  for (std::size_t i = 0; i < tables.size(); ++i) view.plane[i] = &tables[i];

  // A prediction that differs from sample to sample, so a delta added to
  // the wrong row or twice shows.
  const auto predict = [&](YccPlanes& planes) {
    planes = {Plane(width, height), Plane(width / 2, height / 2), Plane(width / 2, height / 2)};
    for (Plane* plane : {&planes.luma, &planes.chroma1, &planes.chroma2}) {
      for (std::size_t i = 0; i < plane->samples.size(); ++i) {
        plane->samples[i] = static_cast<std::uint8_t>(i * 37 + plane->width);
      }
    }
  };
  const std::span<const std::uint8_t> rows = body.subspan(rows_offset);
  YccPlanes one;
  predict(one);
  CodedLevelEnd one_end;
  std::string one_why;
  const bool one_ok = add_coded_rows(rows, view, one, one_end, one_why);
  YccPlanes several;
  CodedLevelEnd several_end;
  std::string several_why;
  const bool several_ok =
      add_coded_rows(rows, view, predict, several, several_end, several_why, several_threads);
  same_or_abort(one_ok == several_ok && one_why == several_why &&
                    one_end.terminator_end == several_end.terminator_end &&
                    (!one_ok || same_planes(one, several)),
                "the coded rows' decode");
}

PatchTemplates load_patch_templates(const std::string& pcd_dir) {
  return {read_file(pcd_dir + "/photo_4base.pcd"), read_file(pcd_dir + "/kodak_rot180_16base.pcd")};
}

void decode_patch_input(std::span<const std::uint8_t> input, const PatchTemplates& templates) {
  if (input.empty()) return;
  const bool sixteen = (input[0] & 1) != 0;
  const std::vector<std::uint8_t>& original =
      sixteen ? templates.sixteen_base : templates.four_base;
  if (original.size() < 400 * sector_bytes) return;
  const Level level = sixteen && (input[0] & 2) != 0 ? Level::sixteen_base : Level::four_base;

  std::vector<std::uint8_t> file = original;
  std::size_t at = 1;
  if ((input[0] & 4) != 0 && input.size() >= 4) {
    file.resize(static_cast<std::size_t>(
        static_cast<std::uint64_t>(be24(input.data() + 1)) * file.size() >> 24));
    at = 4;
  }

  const std::size_t four_base_end =
      std::clamp<std::size_t>((std::size_t{original[0xE03]} << 8 | original[0xE04]) * sector_bytes,
                              393 * sector_bytes, original.size());
  const std::size_t sixteen_base = sixteen ? four_base_end : 0x800;
  struct Region {
    std::size_t start;
    std::size_t length;
  };
  const Region regions[8] = {
      {0x800, 0x1000},                                         // header and attribute records
      {388 * sector_bytes, sector_bytes},                      // 4Base table
      {389 * sector_bytes, 4 * sector_bytes},                  // first 4Base rows
      {0, original.size()},                                    // anywhere
      {sixteen_base, 14 * sector_bytes},                       // 16Base attribute sector and tables
      {sixteen_base + 14 * sector_bytes, 4 * sector_bytes},    // first 16Base rows
      {four_base_end - 4 * sector_bytes, 4 * sector_bytes},    // 4Base terminator
      {original.size() - 4 * sector_bytes, 4 * sector_bytes},  // the file's end
  };
  for (; at + 4 <= input.size(); at += 4) {
    const std::uint32_t raw = be24(input.data() + at);
    const Region& region = regions[raw >> 21];
    const std::size_t position = region.start + (raw & 0x1FFFFF) % region.length;
    if (position < file.size()) file[position] = input[at + 3];
  }
  // The planes are the decoder's whole answer to these changes; colour and
  // turning are the same code for every input and would only slow the runs.
  const DecodedPlanes one = decode_image_pac_planes(file, level, nullptr, 1);
  const DecodedPlanes several = decode_image_pac_planes(file, level, nullptr, several_threads);
  same_or_abort(one.failure == several.failure && one.why == several.why &&
                    one.quarter_turns == several.quarter_turns &&
                    same_planes(one.planes, several.planes),
                "a changed Image Pac's decode");
}

bool decode_extension_input(std::span<const std::uint8_t> input) {
  if (input.size() < 3) return false;
  const Size luma{2 * (1 + input[0] % 32), 2 * (1 + input[1] % 16)};
  const std::size_t file_count = 1 + (input[2] & 3u);
  const int threads = (input[2] & 4u) != 0 ? 2 : several_threads;
  std::size_t at = 3;
  if (input.size() < at + 2 * file_count) return false;
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < file_count; ++i, at += 2) {
    lengths.push_back(std::size_t{input[at]} << 8 | input[at + 1]);
  }
  std::vector<std::span<const std::uint8_t>> files;
  for (std::size_t length : lengths) {
    const std::size_t taken = std::min(length, input.size() - at);
    files.push_back(input.subspan(at, taken));
    at += taken;
  }
  const std::span<const std::uint8_t> info = input.subspan(at);

  std::string why;
  const auto extension = read_extension_info(info, luma, why);
  if (!extension) return false;
  const auto decode = [&](int thread_count, std::string& reason, YccPlanes& planes) {
    planes = {Plane(luma.width, luma.height), Plane(luma.width / 2, luma.height / 2),
              Plane(luma.width / 2, luma.height / 2)};
    for (Plane* plane : {&planes.luma, &planes.chroma1, &planes.chroma2}) {
      std::fill(plane->samples.begin(), plane->samples.end(), 128);
    }
    return add_extension_deltas(*extension, files, planes, reason, thread_count);
  };
  YccPlanes one;
  const bool decoded = decode(1, why, one);
  YccPlanes several;
  std::string several_why;
  const bool several_decoded = decode(threads, several_why, several);
  same_or_abort(
      decoded == several_decoded && why == several_why && (!decoded || same_planes(one, several)),
      "the extension's decode");
  return decoded;
}

std::vector<std::uint8_t> extension_input(int luma_width, int luma_height,
                                          const std::vector<std::uint8_t>& info,
                                          const std::vector<std::vector<std::uint8_t>>& files,
                                          bool two_threads) {
  std::vector<std::uint8_t> input{
      static_cast<std::uint8_t>(luma_width / 2 - 1), static_cast<std::uint8_t>(luma_height / 2 - 1),
      static_cast<std::uint8_t>((files.size() - 1) | (two_threads ? 4u : 0u))};
  for (const auto& file : files) {
    input.push_back(static_cast<std::uint8_t>(file.size() >> 8));
    input.push_back(static_cast<std::uint8_t>(file.size()));
  }
  for (const auto& file : files) input.insert(input.end(), file.begin(), file.end());
  input.insert(input.end(), info.begin(), info.end());
  return input;
}

}  // namespace pixmera::photocd::fuzzing
