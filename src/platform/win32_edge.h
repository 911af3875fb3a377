// What every Windows platform file needs at the Win32 edge: UTF-8 inside the
// program and UTF-16 for the ...W functions, and Win32 error codes told as
// errno values, so callers report failures the same way on both systems.
// Windows only.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

// Invalid UTF-8 becomes U+FFFD; nothing is dropped silently.
std::wstring utf16_text(std::string_view utf8);
std::string utf8_text(std::wstring_view utf16);

// Sets errno from GetLastError() (EIO for codes without a closer match) and
// returns false, for `return failed_with_last_error();`.
bool failed_with_last_error();

}  // namespace pixmera
