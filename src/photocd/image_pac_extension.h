// The Image Pac extension of a Pro Photo CD picture: the 64Base level, kept
// in a folder of its own beside the disc's IMAGES folder. INFO.IC describes
// the level (one layer per component, the files, one pointer per coded
// sequence, the Huffman tables); the .ICR files it names hold the sequences,
// the deltas over 16Base upsampled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "photocd/huffman_table.h"
#include "photocd/level.h"
#include "photocd/parallel.h"
#include "photocd/plane.h"

namespace pixmera::photocd {

struct ExtensionFile {
  std::string name;        // as stored: an 8.3 name, no folder
  std::uint32_t size = 0;  // bytes, as INFO.IC states it
};

struct SequencePointer {
  std::uint16_t file = 0;    // index into ImagePacExtension::files
  std::uint32_t offset = 0;  // byte of that file in which the sequence's sync starts
};

struct ExtensionLayer {
  int component = 0;  // 0 luma, 1 C1, 2 C2
  int width = 0;
  int height = 0;
  int sequence_length = 0;  // samples per sequence
  int sequences_per_row = 0;
  // Row by row, sequences_per_row to a row; sequence s of row r covers
  // columns s * sequence_length onwards.
  std::vector<SequencePointer> pointers;
  HuffmanTable table;
};

struct ImagePacExtension {
  std::vector<ExtensionFile> files;
  std::vector<ExtensionLayer> layers;  // luma, then C1 and C2 when present
};

// Reads INFO.IC. `luma_size` is the level the layers must describe (64Base's
// 6144x4096; chroma at half width and height), so tests and fuzzers can use
// small levels. Every offset, count, size and table is checked against the
// bytes; a pointer must lie inside the size stated for its file. Says in
// `why` what was expected and what was found when it fails.
std::optional<ImagePacExtension> read_extension_info(std::span<const std::uint8_t> info,
                                                     Size luma_size, std::string& why);

// Adds every sequence's deltas to `planes`, which hold the prediction (luma at
// the layers' luma size, chroma at half width and height). `files` holds the
// bytes of extension.files in their order, each at least the stated size
// (bytes past it are not read). Fails unless every sequence is found where
// its pointer says, carries its own plane, row and sequence number and
// decodes whole. Rows are decoded on `threads` threads; the result is the
// same for any number.
bool add_extension_deltas(const ImagePacExtension& extension,
                          std::span<const std::span<const std::uint8_t>> files, YccPlanes& planes,
                          std::string& why, int threads = thread_count());

// What the decoder is handed for 64Base: INFO.IC read, and the files it names.
struct ExtensionData {
  ImagePacExtension description;
  std::vector<std::span<const std::uint8_t>> files;
};

}  // namespace pixmera::photocd
