// Names the kind of a file from its first bytes, whatever its extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pixmera {

inline constexpr std::string_view kUnrecognizedSignature = "[ERROR] UNRECOGNIZED";
// No signature looks further into a file than this.
inline constexpr size_t kSignatureHeadSize = 20;

// Bytes that must stand at an offset of the head.
struct ByteTest {
  size_t offset;
  std::string_view bytes;
};

// One row of the signature table: it matches when every byte test of one of
// its alternatives matches (only the MP3 row has more than one).
struct SignatureRow {
  uint8_t first_byte;
  std::vector<std::vector<ByteTest>> alternatives;
  std::string_view name;
};

// The table in its order; rows sharing a first byte form a group.
const std::vector<SignatureRow>& signature_table();

std::string identify_file_signature(const std::string& path);
// The same rule over bytes already read (at most the first 20 are looked at).
std::string identify_signature(std::string_view head);

}  // namespace pixmera
