// The "Output" page: the settings of each output format, opened on the
// format the window converts to.
#include <wx/choice.h>

#include <string>

#include "settings/config_file.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "ui/preferences/layout.h"
#include "ui/preferences/pages.h"

namespace pixmera::ui::preferences {

namespace {

// Which compressions each format knows; the family shares its codes.
constexpr std::string_view kRunLength[] = {"NONE", "RLE"};
constexpr std::string_view kExrCompression[] = {"NONE", "ZIP", "PIZ", "PXR24", "B44"};
constexpr std::string_view kPngCompression[] = {"NONE", "ZLIB1", "ZLIB6", "ZLIB9"};
constexpr std::string_view kTiffCompression[] = {"NONE",     "CCITTFAX3", "CCITTFAX4",
                                                 "PACKBITS", "DEFLATE",   "ADOBEDEFLATE",
                                                 "LZW",      "JPEG",      "LOGLUV"};

// Qualities run from the smallest file to the best picture.
constexpr Row quality(std::string_view key) { return number(key, 1, 100); }

// Every format with settings of group "Output", in the order the
// configuration file writes them.
constexpr FormatRows kOutputFormats[] = {
    {"bmp",
     {depth("BMP BPP"), keyword("BMP Compression", kFamilyCompression, kRunLength),
      keyword("BMP Color Table", kFamilyBmpColorTable)}},
    {"dds", {depth("DDS BPP")}},
    {"exr", {depth("EXR BPP"), keyword("EXR Compression", kFamilyCompression, kExrCompression)}},
    {"gif", {depth("GIF BPP")}},
    {"hdr", {depth("HDR BPP")}},
    {"ico", {depth("ICO BPP")}},
    {"j2k", {depth("J2K BPP")}},
    {"jng", {depth("JNG BPP")}},
    {"jp2", {depth("JP2 BPP")}},
    {"jpg",
     {depth("JPG BPP"), quality("JPG Quality"), keyword("JPG Chroma", kFamilyJpegChroma),
      keyword("JPG Save As", kFamilyJpegSaveAs)}},
    {"jxr", {depth("JXR BPP")}},
    {"pbm", {depth("PBM BPP")}},
    {"pcx", {depth("PCX BPP")}},
    {"pfm", {depth("PFM BPP")}},
    {"pgm", {depth("PGM BPP")}},
    {"png",
     {depth("PNG BPP"), keyword("PNG Compression", kFamilyCompression, kPngCompression),
      tick("PNG Interlaced")}},
    {"ppm", {depth("PPM BPP")}},
    {"psd", {depth("PSD BPP")}},
    {"tga", {depth("TGA BPP"), keyword("TGA Compression", kFamilyCompression, kRunLength)}},
    {"tiff",
     {depth("TIFF BPP"), keyword("TIFF Compression", kFamilyCompression, kTiffCompression),
      keyword("TIFF Color Mode", kFamilyColorMode)}},
    {"wbmp", {depth("WBMP BPP")}},
    {"webp", {depth("WEBP BPP"), quality("WEBP Quality")}},
    {"xpm", {depth("XPM BPP")}},
};

}  // namespace

wxWindow* output_page(wxWindow* book, Sheet& sheet) {
  Page page(book, sheet, "Output");
  wxChoice* formats = add_format_book(page.panel(), page.content(), sheet,
                                      {.group = "Output",
                                       .label = "Output Format",
                                       .name = "output formats",
                                       .formats = kOutputFormats,
                                       .describe = describe_output_format,
                                       .saved = accepted_conversion_list()});
  // It opens on the format the window converts to.
  const std::string& wanted = g_settings.output_format.empty() ? accepted_conversion_list().front()
                                                               : g_settings.output_format;
  for (size_t i = 0; i < std::size(kOutputFormats); ++i) {
    if (kOutputFormats[i].format == wanted) formats->SetSelection(static_cast<int>(i));
  }
  return page.finish();
}

}  // namespace pixmera::ui::preferences
