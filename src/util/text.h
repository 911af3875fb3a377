// Small text helpers shared by every folder. Case changes are ASCII-only:
// keys, options, keywords and masks are ASCII, and bytes of UTF-8 sequences
// pass through untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
bool equals_ignore_case(std::string_view a, std::string_view b);

// Removes leading and trailing blanks (space only).
std::string_view trim_spaces(std::string_view text);
// Removes leading and trailing blanks and tabs.
std::string_view trim_blanks(std::string_view text);

// Replaces every occurrence of `from` (non-empty) by `to`.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);
// Replaces every occurrence of `from`, compared without regard to ASCII case.
std::string replace_all_ignore_case(std::string_view text, std::string_view from,
                                    std::string_view to);

std::vector<std::string> split(std::string_view text, char separator);

// Fills "%s1%" .. "%s4%" (every occurrence) with the given texts.
std::string format_placeholders(std::string_view tmpl, std::string_view s1 = {},
                                std::string_view s2 = {}, std::string_view s3 = {},
                                std::string_view s4 = {});

// The file part of a path (after the last separator, platform/paths.h).
std::string_view file_name_of(std::string_view path);
// The folder part of a path, with its trailing separator; empty when there
// is none.
std::string_view folder_of(std::string_view path);
// The text after the last "." of the file name; empty when there is none.
std::string_view extension_of(std::string_view path);

// The text with every byte but letters, digits and "-._~" written as "%XX",
// for a query value of a URL.
std::string url_encoded(std::string_view text);

// A uniformly drawn number in [low, high].
int32_t random_between(int32_t low, int32_t high);

}  // namespace pixmera
