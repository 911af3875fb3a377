// The message catalogue: every user-visible text of the window and the
// status lines of the console, looked up by group and key. Built once at
// start-up from the English text table; read-only afterwards.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

inline constexpr std::string_view kNoStringError = "%NO_STRING_ERROR%";

// Builds the catalogue from the built-in text table (again, when called twice).
void build_catalogue();

// The text of that group and key (ASCII case ignored), or "%NO_STRING_ERROR%".
// Texts may hold "%s1%".."%s4%" for format_placeholders().
std::string catalogue_text(std::string_view group, std::string_view key);

}  // namespace pixmera
