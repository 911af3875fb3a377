// The per-file conversion step: one input file of the current-file record
// becomes one output file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/image.h"

namespace pixmera {

// Why the per-file step wrote no file.
enum class ConversionFailure {
  None,              // the output file was written
  UnreadableInput,   // the input could not be read (`path`, `system_error`)
  NotPhotoCd,        // the input lacks the PhotoCD signature
  NoDecodedPicture,  // no converter left a picture and the fallback refused the file
  NotAPicture,       // the converter's temporary file (`path`) is no picture
  OperationFailed,   // the image operation `operation` failed
  OverwritesInput,   // the output (`path`) would replace the input
  CannotWrite,       // the output (`path`) could not be written (`system_error`, 0 when
                     // the picture could not be encoded)
};

struct ConversionResult {
  ConversionFailure failure = ConversionFailure::None;
  std::string path;            // the file the failure concerns
  std::string_view operation;  // "Resize", for OperationFailed (a catalogue key suffix)
  std::string converter;       // the converter, empty when none was found (decoding failures)
  int system_error = 0;        // errno of the call that failed
  bool saved() const { return failure == ConversionFailure::None; }
};

// Decodes the current input, runs the operation chain, converts the bit
// depth and saves under the name the mask builds. On success the output
// path is left in the current-file record; otherwise the result says why.
ConversionResult convert_current_file();

// FreeImage save flags for an output extension, from its settings.
int32_t compute_save_flags(std::string_view extension);

// The external converter: PIXMERA_CONVERTER when set, else "convert" in the
// private folder, else "convert" through PATH. Empty when none is found.
std::string find_converter();
// Whether the job asks the converter for 16 bits per channel: when the
// output depth is 48 or 96 bits (and not chosen automatically).
bool wants_sixteen_bits();
// The arguments of one converter run for a sub-image index; with
// `sixteen_bits`, "-depth 16" before the input asks for a 16-bit picture.
std::vector<std::string> converter_arguments(const std::string& input_path, int index,
                                             const std::string& picture_path,
                                             bool sixteen_bits = false);
// Runs the converter once; when it hangs past its time limit or crashes, any
// file it left at `tga_path` is deleted, so the attempt counts as failed.
void run_converter(const std::string& converter, const std::string& input_path, int index,
                   const std::string& tga_path, bool sixteen_bits = false);

// The picture a converter left, in whatever format its first bytes show
// (FreeImage's file type): a TGA, or a 16-bit PPM, which load_ppm48 reads.
// Empty when it does not load.
Image load_converter_picture(const std::string& path);
// A binary PPM of more than 8 bits per sample as 16-bit RGB; an empty
// picture when it is damaged or cut short, nullopt when it is no such PPM
// (8-bit ones included), for FreeImage's own reader to take.
std::optional<Image> load_ppm48(const std::string& path);

// The sub-image index of the second conversion for a picture of that size,
// or -1 when none is needed.
int second_conversion_index(int width, int height);

// FreeImage's own PhotoCD loader, used when the converter left nothing. It
// refuses files that are no PhotoCD image pack (or too short to hold the
// Base image) and turns its result upright.
Image load_photocd_fallback(const std::string& path);
// True when the file carries the PhotoCD image pack signature.
bool has_photocd_signature(const std::string& path);

// Horizontal and vertical resolution in dots per metre: the loader's values,
// replaced by EXIF "XResolution"/"YResolution" (dots per inch) when present.
struct Resolution {
  unsigned x = 0;
  unsigned y = 0;
};
Resolution read_resolution(FIBITMAP* picture);

// Dots per metre for a dots-per-inch value: (value / 0.0254 + 0.5), truncated.
int32_t dots_per_metre(double dots_per_inch);

}  // namespace pixmera
