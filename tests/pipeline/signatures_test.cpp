#include "pipeline/signatures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/temp_folder.h"

namespace pixmera {
namespace {

// "49 49 2A 00" -> the four bytes.
std::string bytes(std::string_view hex) {
  std::string out;
  std::istringstream in{std::string(hex)};
  unsigned value = 0;
  while (in >> std::hex >> value) out.push_back(static_cast<char>(value));
  return out;
}

struct Case {
  const char* head;  // hexadecimal bytes from offset 0
  const char* name;
};

// One crafted head per table row, in table order.
const Case kRowCases[] = {
    {"00 00 01 00 01 00", "ICO"},
    {"00 00 01 B3", "MPEG"},
    {"00 00 01 BA 44", "MPG/VOB"},
    {"1A 45 DF A3 9F", "MKV/MKA/WEBM"},
    {"1B 4C 75 61 53", "LUAC"},
    {"1F 8B 08", "GZ"},
    {"25 21 50 53 2D 41 64 6F 62 65", "PS"},
    {"25 50 44 46 2D 31 2E 37", "PDF"},
    {"2A 2A 41 43 45 2A 2A", "ACE"},
    {"2F 2A 20 58 50 4D 20 2A 2F 0A", "XPM"},
    {"30 26 B2 75 8E 66 CF 11 A6 D9 00 AA 00 62 CE 6C 01", "ASF/WMA/WMV"},
    {"31 0A 30 30 3A 30 30", "SRT"},
    {"37 7A BC AF 27 1C 00 04", "7Z"},
    {"38 42 50 53 00 01", "PSD"},
    {"41 47 44 33", "FH8"},
    {"41 54 26 54 46 4F 52 4D 00 00 10 00 44 4A 56 4D", "DJVU"},
    {"42 4C 45 4E 44 45 52 2D 76", "BLEND"},
    {"42 4D 36 00", "BMP"},
    {"42 50 47 FB 00", "BPG"},
    {"42 5A 68 39", "BZ2"},
    {"43 57 53 0A", "SWF"},
    {"44 52 41 43 4F 02", "DRC"},
    {"46 4C 49 46 34", "FLIF"},
    {"46 57 53 09", "SWF"},
    {"46 4C 56 01 05", "FLV"},
    {"47 49 46 38 37 61 01 00", "GIF87A"},
    {"47 49 46 38 39 61 01 00", "GIF89A"},
    {"49 49 2A 00 08 00 00 00", "TIFF (LE)"},
    {"49 49 2A 00 10 00 00 00 43 52 02 00", "CR2"},
    {"49 54 53 46 03 00 00 00 60 00 00 00 01 00", "CHM"},
    {"49 44 33 04 00", "MP3/ID3V2"},
    {"49 53 63 28 00", "CAB (IS)"},
    {"4C 5A 49 50 01", "LZ"},
    {"4D 4C 56 49 76 32", "MLV"},
    {"4D 4D 00 2A 00 00 00 08", "TIFF (BE)"},
    {"4D 53 43 46 00 00", "CAB"},
    {"4D 54 68 64 00 00 00 06", "MID/MIDI"},
    {"4D 5A 90 00", "EXE/DLL (MZ/PE/NE)"},
    {"4E 55 52 55 49 4D 47 00", "NUI"},
    {"4E 55 52 55 50 41 4C 00", "NUP"},
    {"4F 67 67 53 00 02", "OGG/OGA/OGV"},
    {"50 31 0A 34", "PBM"},
    {"50 32 0A 34", "PGM"},
    {"50 33 0A 34", "PPM"},
    {"50 4B 03 04 14 00", "ZIP"},
    {"50 4B 05 06 00 00", "ZIP (E)"},
    {"50 4B 07 08 00 00", "ZIP (S)"},
    {"52 49 46 46 00 10 00 00 41 43 4F 4E 61 6E 69 68", "ANI"},
    {"52 49 46 46 00 10 00 00 41 56 49 20 4C 49 53 54", "AVI"},
    {"52 49 46 46 24 08 00 00 57 41 56 45 66 6D 74 20", "WAV"},
    {"52 49 46 46 24 08 00 00 57 45 42 50 56 50 38 20", "WEBP"},
    {"52 61 72 21 1A 07 00 CF", "RAR (1.5+)"},
    {"52 61 72 21 1A 07 01 00 33", "RAR (5.0+)"},
    {"53 44 50 58 00 00", "DPX (BE)"},
    {"53 51 4C 69 74 65 20 66 6F 72 6D 61 74 20 33 00 10 00", "SQLITE/DB"},
    {"58 50 44 53 00 00", "DPX (LE)"},
    {"5A 4D 90 00", "EXE (ZM)"},
    {"60 EA 2A 00", "ARJ"},
    {"66 4C 61 43 00 00", "FLAC"},
    {"66 74 79 70 33 67 70 34", "3GP"},
    {"67 69 6D 70 20 78 63 66 20 76", "XCF"},
    {"74 6F 78 33 00", "TOX"},
    {"76 2F 31 01 02 00", "EXR"},
    {"78 61 72 21 00 1C", "XAR"},
    {"7B 5C 72 74 66 31 5C 61", "RTF"},
    {"80 2A 5F D7 00 00", "CIN"},
    {"89 50 4E 47 0D 0A 1A 0A 00 00 00 0D", "PNG"},
    {"CA FE BA BE 00 00", "CLASS"},
    {"CF 84 01 00", "LEP"},
    {"D0 CF 11 E0 A1 B1 1A E1 00 00", "DOC/XLS/PPT"},
    {"D7 CD C6 9A 00 00", "WMF"},
    {"FD 37 7A 58 5A 00 00 04", "XZ"},
    {"FF D8 FF DB 00 43", "JPG"},
    {"FF D8 FF E0 00 10 4A 46 49 46 00 01 01 00", "JPEG/JFIF"},
    {"FF D8 FF EE 00 0E", "JPEG"},
    {"FF D8 FF E1 1C 45 45 78 69 66 00 00 4D 4D", "JPEG/EXIF"},
    {"FF FB 90 64", "MP3"},
};

TEST(SignatureTable, EveryRowIsIdentifiedFromItsHead) {
  const auto& table = signature_table();
  ASSERT_EQ(std::size(kRowCases), table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const std::string head = bytes(kRowCases[i].head);
    EXPECT_EQ(table[i].name, kRowCases[i].name) << "row " << i;
    EXPECT_EQ(static_cast<uint8_t>(head.front()), table[i].first_byte) << kRowCases[i].name;
    EXPECT_EQ(identify_signature(head), kRowCases[i].name) << kRowCases[i].head;
  }
}

TEST(SignatureTable, RowsAreConsistent) {
  for (const SignatureRow& row : signature_table()) {
    ASSERT_FALSE(row.alternatives.empty()) << row.name;
    for (const auto& tests : row.alternatives) {
      ASSERT_FALSE(tests.empty()) << row.name;
      // Every alternative pins the first byte that files the row in its group.
      EXPECT_EQ(tests.front().offset, 0u) << row.name;
      EXPECT_EQ(static_cast<uint8_t>(tests.front().bytes.front()), row.first_byte) << row.name;
      for (const ByteTest& test : tests) {
        EXPECT_LE(test.offset + test.bytes.size(), kSignatureHeadSize) << row.name;
      }
    }
  }
}

TEST(SignatureTable, Mp3HasThreeFrameSyncs) {
  for (const char* head : {"FF F2 00", "FF F3 00", "FF FB 00"}) {
    EXPECT_EQ(identify_signature(bytes(head)), "MP3") << head;
  }
  EXPECT_EQ(identify_signature(bytes("FF FA 00")), kUnrecognizedSignature);
}

TEST(SignatureTable, LaterMatchInAGroupWins) {
  // A Canon raw file is a little-endian TIFF too; its "CR" mark is at offset 8.
  EXPECT_EQ(identify_signature(bytes("49 49 2A 00 10 00 00 00 43 52")), "CR2");
  EXPECT_EQ(identify_signature(bytes("49 49 2A 00 10 00 00 00 43")), "TIFF (LE)");
  EXPECT_EQ(identify_signature(bytes("49 49 2A 00 43 52 00 00 00 00")), "TIFF (LE)");
  EXPECT_EQ(identify_signature(bytes("49 49 2A 00 08 00 00 00 43 52")), "TIFF (LE)");
}

TEST(SignatureTable, PartialAndShortHeadsDoNotMatch) {
  EXPECT_EQ(identify_signature("GIF"), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature("GIF89"), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(bytes("FF D8 FF E0 00 10 4A 46 49 58 00 01")),
            kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(bytes("FF D8 FF E1 00 00 45 78 69")), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(bytes("52 49 46 46 00 00 00 00 57 41 56")), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(bytes("41 54 26 54 46 4F 52 4D 00 00 00 00 44 4A")),
            kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(bytes("49")), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature(""), kUnrecognizedSignature);
  EXPECT_EQ(identify_signature("Hello, world"), kUnrecognizedSignature);
}

TEST(SignatureTable, LooksAtTheFirstTwentyBytesOnly) {
  std::string head = bytes("89 50 4E 47 0D 0A 1A 0A");
  head.resize(1000, '\x00');
  EXPECT_EQ(identify_signature(head), "PNG");
  // A DJVU mark moved past the twentieth byte is no longer seen.
  std::string far = bytes("41 54 26 54 46 4F 52 4D");
  far.resize(20, ' ');
  far += "DJV";
  EXPECT_EQ(identify_signature(far), kUnrecognizedSignature);
}

TEST(FileSignature, ReadsTheHeadOfAFile) {
  test::TempFolder temp;
  for (size_t i = 0; i < std::size(kRowCases); ++i) {
    std::string content = bytes(kRowCases[i].head);
    content.append(4096, '\x5A');  // the rest of a file must not matter
    const std::string path = temp.write("row" + std::to_string(i) + ".bin", content);
    EXPECT_EQ(identify_file_signature(path), kRowCases[i].name) << kRowCases[i].head;
  }
  EXPECT_EQ(identify_file_signature(temp.write("short.gif", "GIF")), kUnrecognizedSignature);
  EXPECT_EQ(identify_file_signature(temp.write("flv", "FLV")), "FLV");
  EXPECT_EQ(identify_file_signature(temp.write("empty.pcd", "")), kUnrecognizedSignature);
  EXPECT_EQ(identify_file_signature(temp.folder() + "missing.pcd"), kUnrecognizedSignature);
  std::filesystem::create_directories(temp.folder() + "folder.tif");
  EXPECT_EQ(identify_file_signature(temp.folder() + "folder.tif"), kUnrecognizedSignature);
  EXPECT_EQ(identify_file_signature(""), kUnrecognizedSignature);
}

}  // namespace
}  // namespace pixmera
