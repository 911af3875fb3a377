// Names the kind of a file from its first bytes, whatever its extension.
#pragma once

#include <string>
#include <string_view>

namespace pixmera {

inline constexpr std::string_view kUnrecognizedSignature = "[ERROR] UNRECOGNIZED";

std::string identify_file_signature(const std::string& path);
// The same rule over bytes already read (at most the first 20 are looked at).
std::string identify_signature(std::string_view head);

}  // namespace pixmera
