// The message catalogue: every user-visible text of the window and the
// status lines of the console, looked up by group and key. Built once at
// start-up from the English text table; read-only afterwards.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pixmera {

inline constexpr std::string_view kNoStringError = "%NO_STRING_ERROR%";

// One pair of the source table. A first string of "_GROUP_" opens the group
// named by the second, "_END_" ends the table (both in any case); every other
// pair is a key and its text in the group opened last.
struct CatalogueSourceEntry {
  std::string_view first;
  std::string_view second;
};

// The built-in English texts, in table order, "_END_" included.
std::span<const CatalogueSourceEntry> catalogue_source_table();

// Builds the catalogue from the built-in text table (again, when called twice).
// Not to be called while another thread looks texts up.
void build_catalogue();
// The same from another table, which must outlive the catalogue's use.
void build_catalogue_from(std::span<const CatalogueSourceEntry> table);

// The text of that group and key (ASCII case ignored), or "%NO_STRING_ERROR%".
// Texts may hold "%s1%".."%s4%" for format_placeholders(). Safe to call from
// several threads once the catalogue is built.
std::string catalogue_text(std::string_view group, std::string_view key);

}  // namespace pixmera
