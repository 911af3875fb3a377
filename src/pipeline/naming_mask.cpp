#include "pipeline/naming_mask.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "pipeline/current_file.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

constexpr std::string_view kDefaultMask = "%filename%.%ext%";

std::string zero_padded(int64_t value, size_t width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

std::string title_case(std::string_view text) {
  std::string out = to_lower(text);
  if (!out.empty()) out.front() = to_upper(out.substr(0, 1)).front();
  return out;
}

// The file part of the input path without its last extension.
std::string base_name(const CurrentFile& file) {
  const std::string_view name = file_name_of(file.input_path);
  return std::string(name.substr(0, name.find_last_of('.')));
}

using PlaceholderValue = std::string (*)(const CurrentFile& file, const std::tm& now);

struct Placeholder {
  std::string_view text;  // lower case
  PlaceholderValue value;
};

// Tried in this order.
const Placeholder kPlaceholders[] = {
    {"%filename%", [](const CurrentFile& f, const std::tm&) { return base_name(f); }},
    {"%filename[u]%", [](const CurrentFile& f, const std::tm&) { return to_upper(base_name(f)); }},
    {"%filename[l]%", [](const CurrentFile& f, const std::tm&) { return to_lower(base_name(f)); }},
    {"%filename[t]%",
     [](const CurrentFile& f, const std::tm&) { return title_case(base_name(f)); }},
    {"%ext%", [](const CurrentFile& f, const std::tm&) { return f.conversion_type; }},
    {"%ext[u]%", [](const CurrentFile& f, const std::tm&) { return to_upper(f.conversion_type); }},
    {"%ext[t]%",
     [](const CurrentFile& f, const std::tm&) { return title_case(f.conversion_type); }},
    {"%yyyy%",
     [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_year + 1900, 4); }},
    {"%mm%", [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_mon + 1, 2); }},
    {"%dd%", [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_mday, 2); }},
    {"%hh%", [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_hour, 2); }},
    {"%ii%", [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_min, 2); }},
    {"%ss%", [](const CurrentFile&, const std::tm& now) { return zero_padded(now.tm_sec, 2); }},
    {"%bpp%", [](const CurrentFile& f, const std::tm&) { return std::to_string(f.output_bpp); }},
    {"%width%", [](const CurrentFile& f, const std::tm&) { return std::to_string(f.mask_width); }},
    {"%height%",
     [](const CurrentFile& f, const std::tm&) { return std::to_string(f.mask_height); }},
    {"%frame%",
     [](const CurrentFile& f, const std::tm&) { return std::to_string(f.frame_number); }},
    {"%rnd%", [](const CurrentFile& f, const std::tm&) { return zero_padded(f.random_number, 5); }},
    {"%n%", [](const CurrentFile& f, const std::tm&) { return zero_padded(f.file_counter, 5); }},
};

std::string expand(std::string_view text, const CurrentFile& file, const std::tm& now) {
  // The text is cut into pieces: literal text still to be searched and
  // values already put in. Only literal pieces are searched for the next
  // placeholder.
  struct Piece {
    std::string text;
    bool literal;
  };
  std::vector<Piece> pieces{{std::string(text), true}};
  for (const Placeholder& placeholder : kPlaceholders) {
    std::vector<Piece> next;
    for (Piece& piece : pieces) {
      if (!piece.literal) {
        next.push_back(std::move(piece));
        continue;
      }
      const std::string folded = to_lower(piece.text);
      size_t from = 0;
      for (size_t hit = folded.find(placeholder.text); hit != std::string::npos;
           hit = folded.find(placeholder.text, from)) {
        next.push_back({piece.text.substr(from, hit - from), true});
        next.push_back({placeholder.value(file, now), false});
        from = hit + placeholder.text.size();
      }
      next.push_back({piece.text.substr(from), true});
    }
    pieces = std::move(next);
  }
  std::string out;
  for (const Piece& piece : pieces) out += piece.text;
  return out;
}

}  // namespace

// std::localtime shares one static result; the lock keeps two threads that
// name files at the same moment from reading each other's half-written copy.
std::tm local_time_now() {
  static std::mutex mutex;
  const std::time_t seconds = std::time(nullptr);
  std::lock_guard lock(mutex);
  const std::tm* local = std::localtime(&seconds);
  return local ? *local : std::tm{};
}

std::string expand_placeholders(std::string_view text, const std::tm& now) {
  return expand(text, g_current_file, now);
}

std::vector<std::string_view> mask_placeholders() {
  std::vector<std::string_view> texts;
  for (const Placeholder& placeholder : kPlaceholders) texts.push_back(placeholder.text);
  return texts;
}

std::string file_name_for(std::string_view mask, const CurrentFile& file, const std::tm& now) {
  std::string text = to_lower(mask);
  if (text.empty()) text = kDefaultMask;
  return expand(text, file, now);
}

std::string output_file_name(const std::tm& now) {
  return file_name_for(g_settings.filename_mask, g_current_file, now);
}

std::string output_file_name() { return output_file_name(local_time_now()); }

std::string output_file_path() {
  std::string path = g_current_file.output_folder;
  if (g_settings.keep_subfolders != 0) path += g_current_file.sub_folder;
  return path + output_file_name();
}

std::string replace_placeholder(std::string_view text, std::string_view placeholder) {
  for (const Placeholder& known : kPlaceholders) {
    if (equals_ignore_case(known.text, placeholder)) {
      return replace_all_ignore_case(text, known.text,
                                     known.value(g_current_file, local_time_now()));
    }
  }
  return std::string(text);
}

std::string expand_watermark_text(std::string_view text) {
  if (std::count(text.begin(), text.end(), '%') < 2) return std::string(text);
  return expand_placeholders(text, local_time_now());
}

}  // namespace pixmera
