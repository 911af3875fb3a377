// The input format table (every extension the program knows as an image
// input, grouped into loader families) and the output format table (every
// format it can write, with FreeImage's identifier and the allowed depths).
// Both are built once at start-up, before either face runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

struct InputFormat {
  std::string extension;    // lower case, the key
  std::string family;       // the key of the family's first extension ("raw")
  std::string description;  // "Kodak PhotoCD File"
};

struct OutputFormat {
  int32_t format_id;        // FreeImage's FREE_IMAGE_FORMAT value
  std::string extension;    // lower case, the key
  std::string description;  // "Tagged Image File Format"
  std::string allowed_bpp;  // "1,4,8,24,32,48,96"
};

// Fills the input table (79 extensions in insertion order) and derives the
// accepted input extensions from the input type list.
void build_input_format_table();
const std::vector<InputFormat>& input_format_table();
const InputFormat* find_input_format(std::string_view extension);
// "pcd", "pcd1", "pcds", "ppcd" in this product.
const std::vector<std::string>& accepted_input_extensions();
// Exact, case-sensitive membership; callers lower-case the extension first.
bool is_accepted_input_extension(std::string_view extension);
// "All Supported Files|*.pcd;...|Kodak PhotoCD File|*.pcd;...|All Files (*.*)|*.*"
std::string open_file_filter();

void build_output_format_table();
const std::vector<OutputFormat>& output_format_table();
const OutputFormat* find_output_format(std::string_view extension);
// The FreeImage identifier of the extension, -1 when it has no row.
int32_t output_format_id(std::string_view extension);
// The row's allowed depths text, empty when the extension has no row.
std::string allowed_bpp_of(std::string_view extension);
// 0 is always valid; otherwise the depth must be one of the row's depths.
bool is_allowed_bpp(std::string_view extension, int32_t bpp);

}  // namespace pixmera
