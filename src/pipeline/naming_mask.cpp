// PLACEHOLDER - replaced by the naming mask implementation.
#include "pipeline/naming_mask.h"
#include "pipeline/current_file.h"
namespace pixmera {
std::string output_file_name() { return "out.tiff"; }
std::string output_file_path() { return g_current_file.output_folder + output_file_name(); }
std::string replace_placeholder(std::string_view t, std::string_view) { return std::string(t); }
std::string expand_watermark_text(std::string_view t) { return std::string(t); }
}  // namespace pixmera
