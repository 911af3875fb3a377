// The output file naming mask: placeholders such as "%filename%" and "%n%"
// in the "Filename Mask" setting stand for parts of the input name, the
// output extension, the date and time, picture properties and counters.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/current_file.h"

namespace pixmera {

// The local time now, safe from any thread.
std::tm local_time_now();

// The mask with its placeholders replaced (the mask is lower-cased first).
std::string output_file_name();
// The same with the date and time placeholders taken from `now`.
std::string output_file_name(const std::tm& now);
// Output folder, the sub-folder text when "Keep Subfolders" is on, then the
// output file name.
std::string output_file_path();
// Replaces every occurrence of one placeholder (any case) by its value.
std::string replace_placeholder(std::string_view text, std::string_view placeholder);
// The watermark text with its placeholders expanded; only when the text holds
// at least two "%".
std::string expand_watermark_text(std::string_view text);

// The placeholders of the mask, in the order they are replaced.
std::vector<std::string_view> mask_placeholders();
// The name `mask` gives to `file` at `now`: the mask lower-cased (empty
// meaning "%filename%.%ext%"), then every placeholder replaced from `file`.
// output_file_name() is this for the Filename Mask and the current file.
std::string file_name_for(std::string_view mask, const CurrentFile& file, const std::tm& now);

// Replaces every placeholder, compared without regard to case, in list order.
// Replaced values are never searched again, so an input name that itself
// holds "%n%" stays as it is.
std::string expand_placeholders(std::string_view text, const std::tm& now);

}  // namespace pixmera
