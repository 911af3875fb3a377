// The external PhotoCD converter: a helper program that writes one sub-image
// of a PhotoCD file as a TGA picture.
#include <cstdlib>

#include "imaging/convert_file.h"
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

std::vector<std::string> converter_arguments(const std::string& input_path, int index,
                                             const std::string& tga_path) {
  // "-orient TopLeft" makes ImageMagick mark its TGA rows the way it writes
  // them, so FreeImage does not read its pictures upside down.
  return {"-quiet",  "-colorspace", "sRGB",
          "-orient", "TopLeft",     input_path + "[" + std::to_string(index) + "]",
          tga_path};
}

void run_converter(const std::string& converter, const std::string& input_path, int index,
                   const std::string& tga_path) {
  if (converter.empty()) return;
  const RunResult result =
      run_program(converter, converter_arguments(input_path, index, tga_path), converter_timeout());
  // A converter that hung or crashed may have left half a picture behind;
  // it must not be taken for a result.
  if (result.outcome == RunOutcome::TimedOut || result.outcome == RunOutcome::Signalled) {
    delete_file(tga_path);
  }
}

}  // namespace pixmera
