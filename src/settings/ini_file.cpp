#include "settings/ini_file.h"

#include "platform/files.h"
#include "util/text.h"

namespace pixmera {

IniDocument parse_ini(std::string_view bytes) {
  IniDocument document;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  IniGroup* group = nullptr;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = trim_blanks(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;

    if (line.size() >= 2 && line.front() == '[') {
      const size_t close = line.find(']');
      if (close != std::string_view::npos) {
        document.groups.push_back(IniGroup{std::string(line.substr(1, close - 1)), {}});
        group = &document.groups.back();
        continue;
      }
    }
    if (group == nullptr || line.empty() || line.front() == ';') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    group->entries.push_back(IniEntry{std::string(trim_blanks(line.substr(0, equals))),
                                      std::string(trim_blanks(line.substr(equals + 1)))});
  }
  return document;
}

bool load_ini(const std::string& path, IniDocument& document) {
  std::string bytes;
  if (file_size(path) < 0 || !read_file(path, bytes)) return false;
  document = parse_ini(bytes);
  return true;
}

const IniGroup* find_ini_group(const IniDocument& document, std::string_view name) {
  for (const IniGroup& group : document.groups) {
    if (equals_ignore_case(group.name, name)) return &group;
  }
  return nullptr;
}

const IniEntry* find_ini_entry(const IniGroup& group, std::string_view key) {
  for (const IniEntry& entry : group.entries) {
    if (equals_ignore_case(entry.key, key)) return &entry;
  }
  return nullptr;
}

}  // namespace pixmera
