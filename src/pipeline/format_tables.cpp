// PLACEHOLDER - replaced by the format tables implementation.
#include "pipeline/format_tables.h"
namespace pixmera {
void build_input_format_table() {}
const std::vector<InputFormat>& input_format_table() { static std::vector<InputFormat> t; return t; }
const InputFormat* find_input_format(std::string_view) { return nullptr; }
const std::vector<std::string>& accepted_input_extensions() { static std::vector<std::string> t{"pcd"}; return t; }
bool is_accepted_input_extension(std::string_view e) { return e == "pcd"; }
std::string open_file_filter() { return {}; }
void build_output_format_table() {}
const std::vector<OutputFormat>& output_format_table() { static std::vector<OutputFormat> t; return t; }
const OutputFormat* find_output_format(std::string_view) { return nullptr; }
int32_t output_format_id(std::string_view e) { return e == "tiff" ? 18 : -1; }
std::string allowed_bpp_of(std::string_view) { return "1,4,8,24,32,48,96"; }
bool is_allowed_bpp(std::string_view, int32_t bpp) { return bpp == 0 || bpp == 24; }
}  // namespace pixmera
