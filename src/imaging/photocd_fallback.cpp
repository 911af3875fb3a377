// FreeImage's own PhotoCD loader, the fallback when the external converter
// left no picture. It decodes the 768x512 Base image only, and it trusts its
// input: it "succeeds" on any bytes, reads the rows bottom-up unless the
// file is an unrotated 16Base pack, and never applies the stored rotation.
// This wrapper checks the file first and turns the result upright.
#include <array>
#include <fstream>

#include "imaging/convert_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/picture_files.h"

namespace pixmera {

namespace {

constexpr std::streamoff kSignatureOffset = 0x800;
constexpr std::string_view kSignature = "PCD_IPI";
constexpr std::streamoff kFirstAttributeOffset = 0x48;
constexpr std::streamoff kRotationOffset = 0xE02;
// Sectors up to the end of the Base image: a shorter file cannot hold it.
constexpr int64_t kBaseImageEnd = 786432;

struct PhotoCdHeader {
  bool valid = false;
  uint8_t first_attribute = 0;
  uint8_t rotation = 0;
};

PhotoCdHeader read_header(const std::string& path) {
  PhotoCdHeader header;
  if (file_size(path) < kBaseImageEnd) return header;
  std::ifstream in(file_system_path(path), std::ios::binary);
  std::array<char, 7> signature{};
  char attribute = 0;
  char rotation = 0;
  in.seekg(kSignatureOffset).read(signature.data(), signature.size());
  in.seekg(kFirstAttributeOffset).read(&attribute, 1);
  in.seekg(kRotationOffset).read(&rotation, 1);
  if (!in) return header;
  header.valid = std::string_view(signature.data(), signature.size()) == kSignature;
  header.first_attribute = static_cast<uint8_t>(attribute);
  header.rotation = static_cast<uint8_t>(rotation) & 3;
  return header;
}

}  // namespace

bool has_photocd_signature(const std::string& path) {
  std::ifstream in(file_system_path(path), std::ios::binary);
  std::array<char, kSignature.size()> signature{};
  in.seekg(kSignatureOffset).read(signature.data(), signature.size());
  return in && std::string_view(signature.data(), signature.size()) == kSignature;
}

Image load_photocd_fallback(const std::string& path) {
  const PhotoCdHeader header = read_header(path);
  if (!header.valid) return Image();
  Image picture = adopt(load_picture_file(FIF_PCD, path, 0));
  if (!picture) return picture;
  // FreeImage takes "16Base, not rotated" to mean top-down rows and flips
  // every other file.
  if ((header.first_attribute & 63) != 8) FreeImage_FlipVertical(picture.get());
  // The rotation field names the turn a viewer must make: 1 is 90 degrees
  // counter-clockwise, 2 is 180, 3 is 90 clockwise. FreeImage_Rotate turns
  // counter-clockwise for positive angles.
  static constexpr std::array<double, 4> kTurn = {0.0, 90.0, 180.0, 270.0};
  if (header.rotation != 0) {
    picture = adopt(FreeImage_Rotate(picture.get(), kTurn[header.rotation], nullptr));
  }
  return picture;
}

}  // namespace pixmera
