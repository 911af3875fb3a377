// PLACEHOLDER - replaced by the signature table implementation.
#include "pipeline/signatures.h"
namespace pixmera {
std::string identify_file_signature(const std::string&) { return std::string(kUnrecognizedSignature); }
std::string identify_signature(std::string_view) { return std::string(kUnrecognizedSignature); }
}  // namespace pixmera
