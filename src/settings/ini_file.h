// The INI text format of the configuration and profile files: group lines
// "[Name]" and key lines "Key = Value". Groups and keys are found without
// regard to ASCII case; a key belongs to the group line above it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

struct IniEntry {
  std::string key;    // the text before the first "=", blanks and tabs removed
  std::string value;  // the text after it, blanks and tabs removed
};

struct IniGroup {
  std::string name;
  std::vector<IniEntry> entries;  // in file order
};

struct IniDocument {
  std::vector<IniGroup> groups;  // in file order; duplicates kept
};

// Reads whatever can be read: a leading byte-order mark is skipped, lines end
// at CR LF, LF or a lone CR, lines that are neither groups nor keys are
// ignored, and keys before the first group line belong to no group.
IniDocument parse_ini(std::string_view bytes);
// False when the file cannot be opened.
bool load_ini(const std::string& path, IniDocument& document);

// The first group of that name, or nullptr.
const IniGroup* find_ini_group(const IniDocument& document, std::string_view name);
// The first key of that name within the group, or nullptr.
const IniEntry* find_ini_entry(const IniGroup& group, std::string_view key);

}  // namespace pixmera
