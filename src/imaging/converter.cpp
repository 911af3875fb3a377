// The external PhotoCD converter: a helper program that writes one sub-image
// of a PhotoCD file as a TGA picture.
#include <cstdlib>

#include "imaging/buffered_file.h"
#include "imaging/convert_file.h"
#include "pipeline/current_file.h"
#include "platform/files.h"
#include "platform/process.h"

namespace pixmera {

namespace {

constexpr double kDefaultTimeoutSeconds = 600.0;

double converter_timeout() {
  const char* text = std::getenv("PIXMERA_CONVERTER_TIMEOUT");
  if (text == nullptr || *text == '\0') return kDefaultTimeoutSeconds;
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  return (end != text && seconds > 0.0) ? seconds : kDefaultTimeoutSeconds;
}

}  // namespace

std::string find_converter() {
  if (const char* named = std::getenv("PIXMERA_CONVERTER"); named != nullptr && *named != '\0') {
    return find_in_path(named);
  }
  const std::string ours = private_folder() + "convert";
  if (is_executable(ours)) return ours;
  return find_in_path("convert");
}

bool wants_sixteen_bits() {
  const CurrentFile& file = g_current_file;
  return file.automatic_depth == 0 && (file.output_bpp == 48 || file.output_bpp == 96);
}

std::vector<std::string> converter_arguments(const std::string& input_path, int index,
                                             const std::string& picture_path, bool sixteen_bits) {
  // "-orient TopLeft" makes ImageMagick mark its TGA rows the way it writes
  // them, so FreeImage does not read its pictures upside down.
  std::vector<std::string> arguments{"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft"};
  if (sixteen_bits) {
    arguments.emplace_back("-depth");
    arguments.emplace_back("16");
  }
  arguments.push_back(input_path + "[" + std::to_string(index) + "]");
  arguments.push_back(picture_path);
  return arguments;
}

void run_converter(const std::string& converter, const std::string& input_path, int index,
                   const std::string& tga_path, bool sixteen_bits) {
  if (converter.empty()) return;
  const RunResult result =
      run_program(converter, converter_arguments(input_path, index, tga_path, sixteen_bits),
                  converter_timeout());
  // A converter that hung or crashed may have left half a picture behind;
  // it must not be taken for a result.
  if (result.outcome == RunOutcome::TimedOut || result.outcome == RunOutcome::Signalled) {
    delete_file(tga_path);
  }
}

Image load_converter_picture(const std::string& path) {
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  // FreeImage names every Netpbm file after the first of its Netpbm
  // formats, whatever its kind.
  const bool netpbm = format == FIF_PBM || format == FIF_PBMRAW || format == FIF_PGM ||
                      format == FIF_PGMRAW || format == FIF_PPM || format == FIF_PPMRAW;
  if (netpbm) {
    if (std::optional<Image> deep = load_ppm48(path)) return std::move(*deep);
  }
  // A Targa file carries no signature; what FreeImage cannot name is read
  // as one, as the converter's output always was.
  return adopt(load_buffered(format == FIF_UNKNOWN ? FIF_TARGA : format, path, 0));
}

}  // namespace pixmera
