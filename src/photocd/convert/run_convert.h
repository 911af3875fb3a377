// The converter program as a function, so tests can run it in-process as well
// as spawn the installed binary.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pixmera::photocd {

inline constexpr int convert_exit_success = 0;
inline constexpr int convert_exit_failure = 1;  // no picture written
inline constexpr int convert_exit_usage = 2;

// `arguments` excludes the program name. On failure `message` says why.
int run_convert(std::span<const std::string_view> arguments, std::string& message);

}  // namespace pixmera::photocd
