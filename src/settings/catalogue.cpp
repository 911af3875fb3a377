#include "settings/catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "util/text.h"

namespace pixmera {

namespace {

// Groups and entries are numbered from 1; element 0 of each array is an
// unused placeholder, so 0 can mean "none" in the slots and the current group.
struct CatalogueGroup {
  std::string name;  // upper case
  uint32_t first = 0;
  uint32_t last = 0;  // first - 1 when the group has no entries
  // Per first character of a key: the position of the group's first entry
  // whose key begins with it, or 0.
  std::array<uint32_t, 256> slots{};
};

struct CatalogueEntry {
  std::string key;  // upper case
  std::string_view text;
};

struct Catalogue {
  std::vector<CatalogueGroup> groups;
  std::vector<CatalogueEntry> entries;
  // The group of the previous lookup; consecutive lookups in one group skip
  // the group search. Atomic so that lookups from the conversion worker and
  // the interface thread never race on it.
  std::atomic<uint32_t> current_group{0};
};

Catalogue g_catalogue;

enum class PairKind { Group, End, Entry };

PairKind kind_of(const CatalogueSourceEntry& pair) {
  const std::string first = to_upper(pair.first);
  if (first == "_GROUP_") return PairKind::Group;
  if (first == "_END_") return PairKind::End;
  return PairKind::Entry;
}

unsigned char first_character(std::string_view key) {
  return key.empty() ? 0 : static_cast<unsigned char>(key.front());
}

void index_group(Catalogue& catalogue, CatalogueGroup& group) {
  if (group.last < group.first) return;
  const auto begin = catalogue.entries.begin() + group.first;
  const auto end = catalogue.entries.begin() + group.last + 1;
  // Stable, so that of two equal keys the one earlier in the table is found.
  std::stable_sort(begin, end,
                   [](const CatalogueEntry& a, const CatalogueEntry& b) { return a.key < b.key; });
  for (uint32_t position = group.first; position <= group.last; ++position) {
    const unsigned char c = first_character(catalogue.entries[position].key);
    if (position == group.first || c != first_character(catalogue.entries[position - 1].key)) {
      group.slots[c] = position;
    }
  }
}

// The number of the group with that upper-case name, or 0.
uint32_t find_group(const Catalogue& catalogue, std::string_view name) {
  for (uint32_t number = 1; number < catalogue.groups.size(); ++number) {
    if (catalogue.groups[number].name == name) return number;
  }
  return 0;
}

}  // namespace

void build_catalogue() { build_catalogue_from(catalogue_source_table()); }

void build_catalogue_from(std::span<const CatalogueSourceEntry> table) {
  Catalogue& catalogue = g_catalogue;

  size_t group_count = 0;
  size_t entry_count = 0;
  for (const CatalogueSourceEntry& pair : table) {
    const PairKind kind = kind_of(pair);
    if (kind == PairKind::End) break;
    if (kind == PairKind::Group) {
      ++group_count;
    } else if (group_count > 0) {
      ++entry_count;
    }
  }

  catalogue.groups.assign(1, CatalogueGroup{});
  catalogue.groups.reserve(group_count + 1);
  catalogue.entries.assign(1, CatalogueEntry{});
  catalogue.entries.reserve(entry_count + 1);
  catalogue.current_group.store(0, std::memory_order_relaxed);

  for (const CatalogueSourceEntry& pair : table) {
    const PairKind kind = kind_of(pair);
    if (kind == PairKind::End) break;
    const auto next_position = static_cast<uint32_t>(catalogue.entries.size());
    if (kind == PairKind::Group) {
      if (catalogue.groups.size() > 1) catalogue.groups.back().last = next_position - 1;
      CatalogueGroup group;
      group.name = to_upper(pair.second);
      group.first = next_position;
      group.last = next_position - 1;
      catalogue.groups.push_back(std::move(group));
    } else if (catalogue.groups.size() > 1) {
      // Pairs before the first group line belong to no group and are dropped.
      catalogue.entries.push_back(CatalogueEntry{to_upper(pair.first), pair.second});
    }
  }
  if (catalogue.groups.size() > 1) {
    catalogue.groups.back().last = static_cast<uint32_t>(catalogue.entries.size()) - 1;
  }

  for (size_t number = 1; number < catalogue.groups.size(); ++number) {
    index_group(catalogue, catalogue.groups[number]);
  }
}

std::string catalogue_text(std::string_view group_name, std::string_view key_name) {
  Catalogue& catalogue = g_catalogue;
  const std::string group_upper = to_upper(group_name);
  const std::string key = to_upper(key_name);
  std::string result(kNoStringError);

  uint32_t current = catalogue.current_group.load(std::memory_order_relaxed);
  if (current >= catalogue.groups.size() || catalogue.groups[current].name != group_upper) {
    current = find_group(catalogue, group_upper);
    catalogue.current_group.store(current, std::memory_order_relaxed);
  }
  if (current == 0) return result;

  const CatalogueGroup& group = catalogue.groups[current];
  // Keys of the table are ASCII, so the slots of bytes 128-255 stay empty and
  // a key that starts a multi-byte character is never found.
  uint32_t position = group.slots[first_character(key)];
  if (position == 0) return result;
  for (; position <= group.last; ++position) {
    const CatalogueEntry& entry = catalogue.entries[position];
    if (entry.key == key) return std::string(entry.text);
    if (key < entry.key) break;
  }
  return result;
}

}  // namespace pixmera
