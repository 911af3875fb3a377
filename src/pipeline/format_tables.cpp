#include "pipeline/format_tables.h"

#include <charconv>

#include "settings/catalogue.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {

namespace {

// One line of the input table: a family, some of its extensions and their
// description. A family may take several lines (the camera raw makers, and
// "apm" which loads through the "wmf" family under its own name).
struct InputFormatLine {
  std::string_view family;
  std::string_view extensions;   // separated by one blank
  std::string_view description;  // empty: the description of the family's first extension
};

// clang-format off
const InputFormatLine kInputFormatLines[] = {
    {"bmp",  "bmp rle dib",                      "Windows or OS/2 Bitmap"},
    {"dds",  "dds",                              "DirectDraw Surface File"},
    {"emf",  "emf emz",                          "Enhanced Metafile Format"},
    {"gif",  "gif",                              "GIF File"},
    {"hdr",  "hdr hdri",                         "High Dynamic Range File"},
    {"ico",  "ico",                              "Windows Icon"},
    {"jpg",  "jpg jpeg jpe jif",                 "JPEG File"},
    {"pcd",  "pcd pcd1 pcds ppcd",               "Kodak PhotoCD File"},
    {"pcx",  "pcx",                              "ZSoft Paintbrush File"},
    {"pic",  "pic pict pct",                     "Macintosh PICT"},
    {"png",  "png",                              "Portable Network Graphics"},
    {"psd",  "psd",                              "Adobe Photoshop File"},
    {"tga",  "tga targa",                        "Truevision Targa"},
    {"tiff", "tiff tif",                         "Tagged Image File Format"},
    {"wmf",  "wmf wmz",                          "Windows Metafile Format"},
    {"wmf",  "apm",                              "Aldus Placeable Metafile"},
    {"raw",  "raw raw1 raw2",                    "Camera RAW Image"},
    {"raw",  "3fr",                              "Hasselblad Camera RAW Image"},
    {"raw",  "arw sr2 srf",                      "Sony Camera RAW Image"},
    {"raw",  "bay",                              "Casio Camera RAW Image"},
    {"raw",  "bmq",                              "NuCore RAW Image"},
    {"raw",  "cap iiq eip",                      "Phase One Camera RAW Image"},
    {"raw",  "cine",                             "Phantom RAW Image"},
    {"raw",  "cr2 crw",                          "Canon Camera RAW Image"},
    {"raw",  "cs1",                              "Capture Shop RAW Image"},
    {"raw",  "dc2 dcr drf dsc k25 kc2 kdc dcs",  "Kodak Camera RAW Image"},
    {"raw",  "dng",                              "Adobe Digital Negative Image"},
    {"raw",  "erf",                              "Epson Camera RAW Image"},
    {"raw",  "fff",                              "Imacon Camera RAW Image"},
    {"raw",  "ia sti",                           "Sinar RAW Image"},
    {"raw",  "mdc mrw",                          "Minolta Camera RAW Image"},
    {"raw",  "mef mos",                          "Mamiya Camera RAW Image"},
    {"raw",  "nef nrw",                          "Nikon Camera RAW Image"},
    {"raw",  "orf",                              "Olympus Camera RAW Image"},
    {"raw",  "pef ptx",                          "Pentax Camera RAW Image"},
    {"raw",  "pxn",                              "Logitech Camera RAW Image"},
    {"raw",  "qtk",                              "Apple Quicktake Camera RAW Image"},
    {"raw",  "raf",                              "Fuji Camera RAW Image"},
    {"raw",  "rdc",                              "Digital Foto Maker RAW Image"},
    {"raw",  "rw2",                              "Panasonic Camera RAW Image"},
    {"raw",  "rwz",                              "Rawzor Camera RAW Image"},
    {"raw",  "x3f",                              "Sigma Camera RAW Image"},
    {"raw",  "ari",                              "ARRI RAW Image"},
    {"raw",  "r3d",                              "RED RAW Image"},
    {"raw",  "rwl",                              "Leica Camera RAW Image"},
};

const OutputFormat kOutputFormatRows[] = {
    {0,  "bmp",  "Windows or OS/2 Bitmap",      "1,4,8,16,24,32"},
    {29, "exr",  "ILM OpenEXR",                 "96"},
    {25, "gif",  "Graphics Interchange Format", "8"},
    {26, "hdr",  "High Dynamic Range Image",    "96"},
    {1,  "ico",  "Windows Icon",                "1,4,8,16,24,32"},
    {30, "j2k",  "JPEG-2000 Codestream",        "8,24,32,48"},
    {3,  "jng",  "JPEG Network Graphics",       "24,32"},
    {31, "jp2",  "JPEG-2000 File Format",       "8,24,32,48"},
    {2,  "jpg",  "JPEG File Format",            "8,24"},
    {36, "jxr",  "JPEG XR Image Format",        "1,8,16,24,32,48,96"},
    {7,  "pbm",  "Portable Bitmap",             "1"},
    {32, "pfm",  "Portable Floatmap",           "96"},
    {11, "pgm",  "Portable Greymap",            "8"},
    {13, "png",  "Portable Network Graphics",   "1,4,8,24,32,48"},
    {14, "ppm",  "Portable Pixelmap",           "24,48"},
    {17, "tga",  "Truevision Targa",            "8,16,24,32"},
    {18, "tiff", "Tagged Image File Format",    "1,4,8,24,32,48,96"},
    {19, "wbmp", "Wireless Bitmap",             "1"},
    {35, "webp", "Google WebP Image Format",    "24,32"},
    {23, "xpm",  "X11 Pixmap Format",           "24"},
};
// clang-format on

std::vector<InputFormat> g_input_formats;
std::vector<std::string> g_accepted_input_extensions;
std::vector<OutputFormat> g_output_formats;

std::string first_description_of(std::string_view family) {
  for (const InputFormat& format : g_input_formats) {
    if (format.family == family) return format.description;
  }
  return {};
}

// The extensions whose family is one of the input types, type by type, each
// type in table order. An input type without entries contributes nothing, so
// an empty list never turns into one empty extension that would accept files
// without an extension.
void build_accepted_input_extensions() {
  g_accepted_input_extensions.clear();
  for (const std::string& type : input_type_list()) {
    for (const InputFormat& format : g_input_formats) {
      if (format.family == type) g_accepted_input_extensions.push_back(format.extension);
    }
  }
}

}  // namespace

void build_input_format_table() {
  g_input_formats.clear();
  for (const InputFormatLine& line : kInputFormatLines) {
    const std::string description = line.description.empty() ? first_description_of(line.family)
                                                             : std::string(line.description);
    for (std::string& extension : split(line.extensions, ' ')) {
      g_input_formats.push_back({std::move(extension), std::string(line.family), description});
    }
  }
  build_accepted_input_extensions();
}

const std::vector<InputFormat>& input_format_table() { return g_input_formats; }

const InputFormat* find_input_format(std::string_view extension) {
  for (const InputFormat& format : g_input_formats) {
    if (format.extension == extension) return &format;
  }
  return nullptr;
}

const std::vector<std::string>& accepted_input_extensions() { return g_accepted_input_extensions; }

bool is_accepted_input_extension(std::string_view extension) {
  for (const std::string& accepted : g_accepted_input_extensions) {
    if (accepted == extension) return true;
  }
  return false;
}

std::string open_file_filter() {
  struct DescriptionGroup {
    std::string description;
    std::string patterns;
  };
  std::string all_patterns;
  std::vector<DescriptionGroup> groups;
  for (const std::string& extension : g_accepted_input_extensions) {
    const std::string pattern = "*." + extension;
    if (!all_patterns.empty()) all_patterns += ';';
    all_patterns += pattern;

    const InputFormat* format = find_input_format(extension);
    const std::string description = format ? format->description : std::string();
    DescriptionGroup* group = nullptr;
    for (DescriptionGroup& existing : groups) {
      if (existing.description == description) group = &existing;
    }
    if (group) {
      group->patterns += ';' + pattern;
    } else {
      groups.push_back({description, pattern});
    }
  }

  std::string filter = catalogue_text("Dialog", "All Supported Files") + "|" + all_patterns + "|";
  for (const DescriptionGroup& group : groups) {
    filter += group.description + "|" + group.patterns + "|";
  }
  filter += catalogue_text("Dialog", "All Files") + " (*.*)|*.*";
  return filter;
}

void build_output_format_table() {
  g_output_formats.assign(std::begin(kOutputFormatRows), std::end(kOutputFormatRows));
}

const std::vector<OutputFormat>& output_format_table() { return g_output_formats; }

const OutputFormat* find_output_format(std::string_view extension) {
  for (const OutputFormat& format : g_output_formats) {
    if (format.extension == extension) return &format;
  }
  return nullptr;
}

int32_t output_format_id(std::string_view extension) {
  const OutputFormat* format = find_output_format(extension);
  return format ? format->format_id : -1;
}

std::string allowed_bpp_of(std::string_view extension) {
  const OutputFormat* format = find_output_format(extension);
  return format ? format->allowed_bpp : std::string();
}

// 0 keeps the source depth and is valid for every type. "dds", "pcx" and
// "psd" have depth settings but no row here, so for them (and for any other
// extension without a row) 0 is the only valid depth.
bool is_allowed_bpp(std::string_view extension, int32_t bpp) {
  if (bpp == 0) return true;
  if (bpp < 0) return false;
  for (const std::string& field : split(allowed_bpp_of(extension), ',')) {
    int32_t depth = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, depth);
    if (error == std::errc() && stop == end && depth == bpp) return true;
  }
  return false;
}

}  // namespace pixmera
