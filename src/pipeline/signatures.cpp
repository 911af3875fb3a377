#include "pipeline/signatures.h"

#include <array>
#include <fstream>

#include "platform/paths.h"

namespace pixmera {

namespace {

using namespace std::string_view_literals;  // "..."sv keeps embedded zero bytes

// Every test of a group runs in table order and each match overwrites the
// result, so a more specific row placed after a general one wins ("CR2"
// after "TIFF (LE)").
const std::vector<SignatureRow>& table() {
  // clang-format off
  static const std::vector<SignatureRow> rows{
      {0x00, {{{0, "\x00\x00\x01\x00"sv}}}, "ICO"},
      {0x00, {{{0, "\x00\x00\x01\xB3"sv}}}, "MPEG"},
      {0x00, {{{0, "\x00\x00\x01\xBA"sv}}}, "MPG/VOB"},
      {0x1A, {{{0, "\x1A\x45\xDF\xA3"sv}}}, "MKV/MKA/WEBM"},
      {0x1B, {{{0, "\x1B\x4C\x75\x61"sv}}}, "LUAC"},
      {0x1F, {{{0, "\x1F\x8B"sv}}}, "GZ"},
      {0x25, {{{0, "%!PS"sv}}}, "PS"},
      {0x25, {{{0, "%PDF-"sv}}}, "PDF"},
      {0x2A, {{{0, "**ACE**"sv}}}, "ACE"},
      {0x2F, {{{0, "/* XPM */"sv}}}, "XPM"},
      {0x30, {{{0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv}}}, "ASF/WMA/WMV"},
      {0x31, {{{0, "1\n00"sv}}}, "SRT"},
      {0x37, {{{0, "\x37\x7A\xBC\xAF\x27\x1C"sv}}}, "7Z"},
      {0x38, {{{0, "8BPS"sv}}}, "PSD"},
      {0x41, {{{0, "AGD3"sv}}}, "FH8"},
      {0x41, {{{0, "AT&TFORM"sv}, {12, "DJV"sv}}}, "DJVU"},
      {0x42, {{{0, "BLENDER"sv}}}, "BLEND"},
      {0x42, {{{0, "BM"sv}}}, "BMP"},
      {0x42, {{{0, "BPG\xFB"sv}}}, "BPG"},
      {0x42, {{{0, "BZh"sv}}}, "BZ2"},
      {0x43, {{{0, "CWS"sv}}}, "SWF"},
      {0x44, {{{0, "DRACO"sv}}}, "DRC"},
      {0x46, {{{0, "FLIF"sv}}}, "FLIF"},
      {0x46, {{{0, "FWS"sv}}}, "SWF"},
      {0x46, {{{0, "FLV"sv}}}, "FLV"},
      {0x47, {{{0, "GIF87a"sv}}}, "GIF87A"},
      {0x47, {{{0, "GIF89a"sv}}}, "GIF89A"},
      {0x49, {{{0, "II*\x00"sv}}}, "TIFF (LE)"},
      // The first IFD of a Canon raw file sits at offset 16, followed by "CR".
      {0x49, {{{0, "II*\x00"sv}, {4, "\x10\x00\x00\x00" "CR"sv}}}, "CR2"},
      {0x49, {{{0, "ITSF"sv}, {4, "\x03\x00\x00\x00"sv}, {8, "\x60\x00\x00\x00"sv}}}, "CHM"},
      {0x49, {{{0, "ID3"sv}}}, "MP3/ID3V2"},
      {0x49, {{{0, "ISc("sv}}}, "CAB (IS)"},
      {0x4C, {{{0, "LZIP"sv}}}, "LZ"},
      {0x4D, {{{0, "MLVI"sv}}}, "MLV"},
      {0x4D, {{{0, "MM\x00*"sv}}}, "TIFF (BE)"},
      {0x4D, {{{0, "MSCF"sv}}}, "CAB"},
      {0x4D, {{{0, "MThd"sv}}}, "MID/MIDI"},
      {0x4D, {{{0, "MZ"sv}}}, "EXE/DLL (MZ/PE/NE)"},
      {0x4E, {{{0, "NURUIMG"sv}}}, "NUI"},
      {0x4E, {{{0, "NURUPAL"sv}}}, "NUP"},
      {0x4F, {{{0, "OggS"sv}}}, "OGG/OGA/OGV"},
      {0x50, {{{0, "P1\n"sv}}}, "PBM"},
      {0x50, {{{0, "P2\n"sv}}}, "PGM"},
      {0x50, {{{0, "P3\n"sv}}}, "PPM"},
      {0x50, {{{0, "PK\x03\x04"sv}}}, "ZIP"},
      {0x50, {{{0, "PK\x05\x06"sv}}}, "ZIP (E)"},
      {0x50, {{{0, "PK\x07\x08"sv}}}, "ZIP (S)"},
      {0x52, {{{0, "RIFF"sv}, {8, "ACON"sv}}}, "ANI"},
      {0x52, {{{0, "RIFF"sv}, {8, "AVI "sv}}}, "AVI"},
      {0x52, {{{0, "RIFF"sv}, {8, "WAVE"sv}}}, "WAV"},
      {0x52, {{{0, "RIFF"sv}, {8, "WEBP"sv}}}, "WEBP"},
      {0x52, {{{0, "Rar!\x1A\x07\x00"sv}}}, "RAR (1.5+)"},
      {0x52, {{{0, "Rar!\x1A\x07\x01\x00"sv}}}, "RAR (5.0+)"},
      {0x53, {{{0, "SDPX"sv}}}, "DPX (BE)"},
      {0x53, {{{0, "SQLite format 3\x00"sv}}}, "SQLITE/DB"},
      {0x58, {{{0, "XPDS"sv}}}, "DPX (LE)"},
      {0x5A, {{{0, "ZM"sv}}}, "EXE (ZM)"},
      {0x60, {{{0, "\x60\xEA"sv}}}, "ARJ"},
      {0x66, {{{0, "fLaC"sv}}}, "FLAC"},
      {0x66, {{{0, "ftyp3g"sv}}}, "3GP"},
      {0x67, {{{0, "gimp xcf"sv}}}, "XCF"},
      {0x74, {{{0, "tox3"sv}}}, "TOX"},
      {0x76, {{{0, "\x76\x2F\x31\x01"sv}}}, "EXR"},
      {0x78, {{{0, "xar!"sv}}}, "XAR"},
      {0x7B, {{{0, "{\\rtf1"sv}}}, "RTF"},
      {0x80, {{{0, "\x80\x2A\x5F\xD7"sv}}}, "CIN"},
      {0x89, {{{0, "\x89PNG\r\n\x1A\n"sv}}}, "PNG"},
      {0xCA, {{{0, "\xCA\xFE\xBA\xBE"sv}}}, "CLASS"},
      {0xCF, {{{0, "\xCF\x84\x01"sv}}}, "LEP"},
      {0xD0, {{{0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv}}}, "DOC/XLS/PPT"},
      {0xD7, {{{0, "\xD7\xCD\xC6\x9A"sv}}}, "WMF"},
      {0xFD, {{{0, "\xFD" "7zXZ\x00"sv}}}, "XZ"},
      {0xFF, {{{0, "\xFF\xD8\xFF\xDB"sv}}}, "JPG"},
      {0xFF, {{{0, "\xFF\xD8\xFF\xE0\x00\x10" "JFIF\x00\x01"sv}}}, "JPEG/JFIF"},
      {0xFF, {{{0, "\xFF\xD8\xFF\xEE"sv}}}, "JPEG"},
      {0xFF, {{{0, "\xFF\xD8\xFF\xE1"sv}, {6, "Exif\x00\x00"sv}}}, "JPEG/EXIF"},
      {0xFF, {{{0, "\xFF\xF2"sv}}, {{0, "\xFF\xF3"sv}}, {{0, "\xFF\xFB"sv}}}, "MP3"},
  };
  // clang-format on
  return rows;
}

// Row indexes by first byte, each group in table order.
const std::array<std::vector<size_t>, 256>& groups() {
  static const std::array<std::vector<size_t>, 256> by_first_byte = [] {
    std::array<std::vector<size_t>, 256> built;
    for (size_t i = 0; i < table().size(); ++i) built[table()[i].first_byte].push_back(i);
    return built;
  }();
  return by_first_byte;
}

// A test reaching past the bytes read does not match.
bool matches(std::string_view head, const ByteTest& test) {
  return test.offset <= head.size() && head.size() - test.offset >= test.bytes.size() &&
         head.substr(test.offset, test.bytes.size()) == test.bytes;
}

bool matches(std::string_view head, const std::vector<ByteTest>& tests) {
  for (const ByteTest& test : tests) {
    if (!matches(head, test)) return false;
  }
  return true;
}

}  // namespace

const std::vector<SignatureRow>& signature_table() { return table(); }

std::string identify_signature(std::string_view head) {
  std::string_view result = kUnrecognizedSignature;
  head = head.substr(0, kSignatureHeadSize);
  if (head.empty()) return std::string(result);
  for (size_t index : groups()[static_cast<uint8_t>(head.front())]) {
    const SignatureRow& row = table()[index];
    for (const std::vector<ByteTest>& alternative : row.alternatives) {
      if (matches(head, alternative)) result = row.name;
    }
  }
  return std::string(result);
}

std::string identify_file_signature(const std::string& path) {
  std::ifstream file(file_system_path(path), std::ios::binary);
  if (!file) return std::string(kUnrecognizedSignature);
  std::array<char, kSignatureHeadSize> head{};
  file.read(head.data(), head.size());
  const auto read = static_cast<size_t>(file.gcount());
  return identify_signature(std::string_view(head.data(), read));
}

}  // namespace pixmera
