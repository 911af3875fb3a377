#include "imaging/photocd_record.h"

#include <tiffio.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/paths.h"
#include "platform/picture_files.h"
#include "settings/product.h"

namespace pixmera {

namespace {

using photocd::CopyrightStatus;
using photocd::ImagePacInfo;

constexpr std::string_view kNamespace = "http://ns.varnelo.example/pixmera/photocd/1.0/";

struct CivilTime {
  int year, month, day, hour, minute, second;
};

CivilTime civil_time(int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  return CivilTime{static_cast<int>(date.year()),
                   static_cast<int>(unsigned(date.month())),
                   static_cast<int>(unsigned(date.day())),
                   static_cast<int>(clock.hours().count()),
                   static_cast<int>(clock.minutes().count()),
                   static_cast<int>(clock.seconds().count())};
}

// "YYYY<d>MM<d>DD<t>HH:MM:SS<zone>": TIFF writes "1996:01:01 00:00:00", XMP
// "1996-01-01T00:00:00Z".
std::string formatted_time(int64_t seconds, char date_separator, char time_separator,
                           const char* zone) {
  const CivilTime t = civil_time(seconds);
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%04d%c%02d%c%02d%c%02d:%02d:%02d%s", t.year,
                date_separator, t.month, date_separator, t.day, time_separator, t.hour, t.minute,
                t.second, zone);
  return text.data();
}
std::string tiff_time(int64_t seconds) { return formatted_time(seconds, ':', ' ', ""); }
std::string xmp_time(int64_t seconds) { return formatted_time(seconds, '-', 'T', "Z"); }

std::string xml_escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string joined(std::string_view first, std::string_view second) {
  if (first.empty() || second.empty()) return std::string(first.empty() ? second : first);
  return std::string(first) + " " + std::string(second);
}

std::string xmp_packet(const ImagePacInfo& info) {
  std::vector<std::pair<std::string_view, std::string>> fields;
  const auto text = [&fields](std::string_view name, const std::string& value) {
    if (!value.empty()) fields.emplace_back(name, value);
  };
  if (info.scan_time) text("ScanTime", xmp_time(*info.scan_time));
  if (info.modification_time) text("LastModified", xmp_time(*info.modification_time));
  if (info.medium) text("Medium", std::string(photocd::medium_name(*info.medium)));
  text("ProductType", info.product_type);
  text("ScannerVendor", info.scanner_vendor);
  text("ScannerProduct", info.scanner_product);
  text("ScannerFirmwareVersion", info.scanner_firmware_version);
  if (!info.scanner_product.empty()) {
    text("ScannerSoftware", joined(info.scanner_product, info.scanner_firmware_version));
  }
  text("ScannerFirmwareDate", info.scanner_firmware_date);
  text("ScannerSerialNumber", info.scanner_serial_number);
  if (!info.scanner_pixel_size.empty()) {
    text("ScannerPixelSize", info.scanner_pixel_size + " micrometres");
  }
  text("WorkstationMake", info.workstation_make);
  text("PhotoFinisher", info.photo_finisher);
  text("FormatVersion", info.format_version);
  text("AuthoringSoftwareRelease", info.authoring_software_release);
  text("SceneBalanceRevision", info.scene_balance_revision);
  if (info.scene_balance_command) {
    text("SceneBalanceCommand",
         std::string(photocd::scene_balance_command_name(*info.scene_balance_command)));
  }
  if (info.film_term) text("FilmTerm", std::to_string(*info.film_term));
  if (info.copyright) {
    text("CopyrightStatus", info.copyright == CopyrightStatus::restrictions_apply
                                ? "restrictions apply"
                                : "not specified");
  }
  text("CopyrightFile", info.copyright_file);

  std::string xmp =
      "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "  <rdf:Description rdf:about=\"\"\n"
      "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
      "    xmlns:photocd=\"" +
      std::string(kNamespace) + "\">\n";
  if (info.scan_time)
    xmp += "   <xmp:CreateDate>" + xmp_time(*info.scan_time) + "</xmp:CreateDate>\n";
  for (const auto& [name, value] : fields) {
    xmp += "   <photocd:" + std::string(name) + ">" + xml_escaped(value) +
           "</photocd:" + std::string(name) + ">\n";
  }
  xmp +=
      "  </rdf:Description>\n"
      " </rdf:RDF>\n"
      "</x:xmpmeta>\n"
      "<?xpacket end=\"w\"?>";
  return xmp;
}

int64_t seconds_now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The packet's bytes without a terminating NUL, which would end up in the
// file.
bool set_xmp_tag(FIBITMAP* picture, FREE_IMAGE_MDMODEL model, const char* key,
                 const std::string& value) {
  FITAG* tag = FreeImage_CreateTag();
  if (tag == nullptr) return false;
  const auto length = static_cast<DWORD>(value.size());
  const bool set = FreeImage_SetTagKey(tag, key) && FreeImage_SetTagType(tag, FIDT_ASCII) &&
                   FreeImage_SetTagLength(tag, length) && FreeImage_SetTagCount(tag, length) &&
                   FreeImage_SetTagValue(tag, value.c_str()) &&
                   FreeImage_SetMetadata(model, picture, key, tag);
  FreeImage_DeleteTag(tag);
  return set;
}

}  // namespace

PhotoCdRecord photocd_record(const ImagePacInfo& info) {
  PhotoCdRecord record;
  if (info.scan_time) record.date_time = tiff_time(*info.scan_time);
  record.make = info.scanner_vendor;
  record.model = info.scanner_product;
  record.image_description = "Kodak Photo CD";
  if (info.medium)
    record.image_description += ", " + std::string(photocd::medium_name(*info.medium));
  if (info.film_term) record.image_description += ", film term " + std::to_string(*info.film_term);
  if (info.copyright == CopyrightStatus::restrictions_apply) {
    record.copyright = info.copyright_file.empty()
                           ? "Restrictions apply"
                           : "Restrictions apply, see " + info.copyright_file + " on the disc";
  }
  record.xmp = xmp_packet(info);
  return record;
}

std::optional<PhotoCdRecord> read_photocd_record(const std::string& path) {
  std::ifstream in(file_system_path(path), std::ios::binary);
  std::vector<uint8_t> head(photocd::image_pac_info_bytes);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  if (!in) return std::nullopt;
  std::string why;
  const std::optional<ImagePacInfo> info = photocd::read_image_pac_info(head, seconds_now(), why);
  if (!info) return std::nullopt;
  return photocd_record(*info);
}

void attach_photocd_xmp(FIBITMAP* picture, const PhotoCdRecord& record) {
  if (picture != nullptr && !record.xmp.empty()) {
    set_xmp_tag(picture, FIMD_XMP, "XMLPacket", record.xmp);
  }
}

bool write_photocd_tiff_tags(const std::string& path, const PhotoCdRecord& record) {
  TIFF* tiff = open_tiff_file(path, "r+");
  if (tiff == nullptr) return false;
  const std::string software = title_text();
  const std::array<std::pair<ttag_t, const std::string*>, 6> tags{{
      {TIFFTAG_DATETIME, &record.date_time},
      {TIFFTAG_MAKE, &record.make},
      {TIFFTAG_MODEL, &record.model},
      {TIFFTAG_SOFTWARE, &software},
      {TIFFTAG_IMAGEDESCRIPTION, &record.image_description},
      {TIFFTAG_COPYRIGHT, &record.copyright},
  }};
  bool set = true;
  for (const auto& [tag, value] : tags) {
    if (!value->empty()) set = TIFFSetField(tiff, tag, value->c_str()) == 1 && set;
  }
  // The directory is written anew at the end of the file; the pixels stay
  // where they are.
  const bool rewritten = set && TIFFRewriteDirectory(tiff) == 1;
  TIFFClose(tiff);
  return rewritten;
}

}  // namespace pixmera
