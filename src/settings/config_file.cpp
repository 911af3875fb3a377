#include "settings/config_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/files.h"
#include "settings/numbers.h"
#include "util/text.h"

namespace pixmera {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Which keys of the "Input" and "Output" groups are saved for each entry of
// the program's format lists.
struct FormatKeys {
  std::string_view format;
  std::array<std::string_view, 5> keys;
};

constexpr FormatKeys kInputFormatKeys[] = {
    {"dds", {"DDS Load As"}},
    {"gif", {"GIF Frame Loading"}},
    {"ico", {"ICO Frame Loading"}},
    {"psd", {"PSD Color Mode"}},
    {"raw",
     {"RAW Load As", "RAW Header Size", "RAW Image Width", "RAW Image Height", "RAW Tone Mapping"}},
    {"tiff", {"TIFF Frame Loading"}},
};

constexpr FormatKeys kOutputFormatKeys[] = {
    {"bmp", {"BMP BPP", "BMP Compression", "BMP Color Table"}},
    {"dds", {"DDS BPP"}},
    {"exr", {"EXR BPP", "EXR Compression"}},
    {"gif", {"GIF BPP"}},
    {"hdr", {"HDR BPP"}},
    {"ico", {"ICO BPP"}},
    {"j2k", {"J2K BPP"}},
    {"jng", {"JNG BPP"}},
    {"jp2", {"JP2 BPP"}},
    {"jpg", {"JPG BPP", "JPG Quality", "JPG Chroma", "JPG Save As"}},
    {"jxr", {"JXR BPP"}},
    {"pbm", {"PBM BPP"}},
    {"pcx", {"PCX BPP"}},
    {"pfm", {"PFM BPP"}},
    {"pgm", {"PGM BPP"}},
    {"png", {"PNG BPP", "PNG Compression", "PNG Interlaced"}},
    {"ppm", {"PPM BPP"}},
    {"psd", {"PSD BPP"}},
    {"tga", {"TGA BPP", "TGA Compression"}},
    {"tiff", {"TIFF BPP", "TIFF Compression", "TIFF Color Mode"}},
    {"wbmp", {"WBMP BPP"}},
    {"webp", {"WEBP BPP", "WEBP Quality"}},
    {"xpm", {"XPM BPP"}},
};

// Words the file may use for the CSV delimiter, and the characters they mean.
struct DelimiterWord {
  std::string_view word;
  std::string_view characters;
};

constexpr DelimiterWord kDelimiterWords[] = {
    {"tab", "\t"},
    {"space", " "},
    {"crlf", "\r\n"},
};

// --- Load ------------------------------------------------------------------

void read_setting(const IniDocument& document, const SettingField& field, Settings& settings) {
  const IniGroup* group = find_ini_group(document, field.group);
  if (group == nullptr) return;
  const IniEntry* entry = find_ini_entry(*group, field.key);
  if (entry == nullptr) return;
  switch (field.type) {
    case SettingType::String:
      set_setting_text(settings, field, entry->value);
      break;
    case SettingType::Real:
      set_setting_real(settings, field, parse_decimal(entry->value));
      break;
    default:
      set_setting_int(settings, field, parse_configuration_integer(entry->value));
      break;
  }
}

// The value of a key that only older files hold, 0 when it is missing.
int32_t read_old_integer(const IniDocument& document, std::string_view group_name,
                         std::string_view key) {
  const IniGroup* group = find_ini_group(document, group_name);
  if (group == nullptr) return 0;
  const IniEntry* entry = find_ini_entry(*group, key);
  return entry != nullptr ? parse_configuration_integer(entry->value) : 0;
}

void upgrade_older_versions(const IniDocument& document, Settings& settings) {
  const int32_t version = settings.cfg;
  if (version < 11 && settings.filename_mask.find("%ext%") == std::string::npos) {
    settings.filename_mask += ".%ext%";
  }
  if (version < 14 && settings.raw_load_as != 0) {
    // The two codes inserted at the front of the RAW load modes move the old
    // ones up. Saturated, as a value read from the file may already be the
    // largest integer.
    settings.raw_load_as = static_cast<int32_t>(
        std::min<int64_t>(int64_t{settings.raw_load_as} + 2, std::numeric_limits<int32_t>::max()));
  }
  if (version < 19) {
    if (const int32_t mode = read_old_integer(document, "Input", "PSD Color Model"); mode != 0) {
      settings.psd_color_mode = mode;
    }
    if (const int32_t mode = read_old_integer(document, "Output", "TIFF Color Model"); mode != 0) {
      settings.tiff_color_mode = mode;
    }
  }
}

void decode_delimiter_word(Settings& settings) {
  const std::string word = to_lower(settings.csv_delimiter);
  for (const DelimiterWord& delimiter : kDelimiterWords) {
    if (word == delimiter.word) {
      settings.csv_delimiter = delimiter.characters;
      return;
    }
  }
}

// --- Save ------------------------------------------------------------------

const FormatKeys* format_keys(std::span<const FormatKeys> table, std::string_view format) {
  for (const FormatKeys& row : table) {
    if (row.format == format) return &row;
  }
  return nullptr;
}

void add_format_keys(std::vector<const SettingField*>& fields, std::string_view group,
                     std::span<const FormatKeys> table, const std::vector<std::string>& formats) {
  for (const std::string& format : formats) {
    const FormatKeys* row = format_keys(table, format);
    if (row == nullptr) continue;
    for (std::string_view key : row->keys) {
      if (key.empty()) break;
      if (const SettingField* field = find_setting(group, key)) fields.push_back(field);
    }
  }
}

// The settings of one group that the file holds, in the order written.
std::vector<const SettingField*> saved_fields(std::string_view group, const Settings& settings) {
  std::vector<const SettingField*> fields;
  if (group == "Window" && settings.save_window_position != 1) return fields;
  if (group == "Input" || group == "Output") {
    if (const SettingField* format = find_setting(group, "Format")) fields.push_back(format);
    if (group == "Input") {
      add_format_keys(fields, group, kInputFormatKeys, settings.input_format_list);
    } else {
      add_format_keys(fields, group, kOutputFormatKeys, settings.output_format_list);
    }
    return fields;
  }
  for (const SettingField& field : setting_fields()) {
    if (field.group != group) continue;
    // The delimiter is read for compatibility but never written.
    if (group == "File" && field.key == "CsvDelimiter") continue;
    fields.push_back(&field);
  }
  return fields;
}

std::string real_text(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
  return buffer;
}

std::string value_text(const Settings& settings, const SettingField& field) {
  if (field.group == "General" && field.key == "CFG") return std::to_string(kConfigurationVersion);
  switch (field.type) {
    case SettingType::String: {
      // A line break inside a value would end its line early and turn the
      // rest into lines of their own; one setting stays one line.
      std::string text = setting_text(settings, field);
      std::replace(text.begin(), text.end(), '\r', ' ');
      std::replace(text.begin(), text.end(), '\n', ' ');
      return text;
    }
    case SettingType::Real:
      return real_text(setting_real(settings, field));
    default:
      return std::to_string(setting_int(settings, field));
  }
}

}  // namespace

void set_configuration_path() { g_settings.config_path = configuration_folder() + "config.ini"; }

void read_configuration(const IniDocument& document, Settings& settings) {
  reset_settings(settings, false);
  // A file without these keys is older than they are (version 0) or was saved
  // without the window position.
  settings.cfg = 0;
  settings.x = 100;
  settings.y = 100;
  for (const SettingField& field : setting_fields()) read_setting(document, field, settings);
  upgrade_older_versions(document, settings);
  decode_delimiter_word(settings);
}

void load_configuration() {
  IniDocument document;
  if (load_ini(g_settings.config_path, document)) {
    read_configuration(document, g_settings);
    return;
  }
  // The defaults carry the current version, so no upgrade applies, and the
  // default delimiter is a character already.
  reset_settings(g_settings, false);
}

std::string configuration_text(const Settings& settings) {
  std::string text(kByteOrderMark);
  text += kLineEnd;
  std::string_view group;
  for (const SettingField& field : setting_fields()) {
    if (field.group == group) continue;
    group = field.group;
    text += "[";
    text += group;
    text += "]";
    text += kLineEnd;
    for (const SettingField* saved : saved_fields(group, settings)) {
      text += saved->key;
      text += " = ";
      text += value_text(settings, *saved);
      text += kLineEnd;
    }
    text += "; ";
    text += kLineEnd;
  }
  return text;
}

bool save_configuration() {
  if (g_settings.config_path.empty()) return false;
  return write_file_atomically(g_settings.config_path, configuration_text(g_settings));
}
}  // namespace pixmera
