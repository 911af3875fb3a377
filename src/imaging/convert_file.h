// The per-file conversion step: one input file of the current-file record
// becomes one output file.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "imaging/image.h"
#include "photocd/colour_rendering.h"

namespace pixmera {

// How deep a picture the conversion step asks the converter for.
enum class HandOverDepth {
  Eight,    // a 24-bit TGA: the seven arguments every converter knows
  Sixteen,  // "-depth 16", a 16-bit PPM (48 and 96-bit output)
  Floats,   // "-depth 32", a PFM of floats (96-bit output, our converter only)
};

// What one file's converter runs ask for. Our own converter also takes the
// PhotoCD colour choice and applies it as it decodes, so nothing is clipped
// before that; any other converter (ImageMagick) gets exactly the words it
// has always got, and the chain brings its sRGB picture to the chosen space.
struct HandOver {
  HandOverDepth depth = HandOverDepth::Eight;
  bool ours = false;
  photocd::ColourChoice colour;
};

// Why the per-file step wrote no file.
enum class ConversionFailure {
  None,              // the output file was written
  UnreadableInput,   // the input could not be read (`path`, `system_error`)
  NotPhotoCd,        // the input lacks the PhotoCD signature
  NoDecodedPicture,  // no converter left a picture and the fallback refused the file
  NotAPicture,       // the converter's temporary file (`path`) is no picture
  ConverterKilled,   // the converter was ended by the signal `signal` (a crash or a kill)
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
  int signal = 0;              // the signal that ended the converter (ConverterKilled)
  bool saved() const { return failure == ConversionFailure::None; }
};

// Decodes the current input, runs the operation chain, converts the bit
// depth and saves under the name the mask builds. On success the output
// path is left in the current-file record; otherwise the result says why.
ConversionResult convert_current_file();

// The converter is asked for the sub-images from this index down to 0 until
// one attempt leaves a picture, and each run is followed by the pause.
inline constexpr int kFirstSubImage = 6;
inline constexpr std::chrono::milliseconds kPauseAfterConverter{30};

// Those attempts, each pause made by `pause`. With `cancel` given, they stop
// as soon as it becomes true, a run in progress killed. A run ended by a
// signal ends the attempts too: the next index down would give a smaller
// picture in place of the one asked for. Returns that signal, else 0.
int run_converter_attempts(const std::string& converter, const std::string& input_path,
                            const std::string& picture_path, const HandOver& hand_over,
                            const std::atomic<bool>* cancel, const std::function<void()>& pause);

// The converter's attempts for one file (indexes 6 down to 0 until one
// leaves a picture, each followed by its pause, exactly as the per-file
// step makes them) on a thread of their own, started ahead of the file's
// turn. Destroying it without take_over() stops the attempts (killing a run
// in progress) and deletes whatever picture they left.
class ConverterAhead {
 public:
  ConverterAhead(std::string input_path, std::string picture_path, std::string converter,
                 HandOver hand_over);
  ~ConverterAhead();
  ConverterAhead(const ConverterAhead&) = delete;
  ConverterAhead& operator=(const ConverterAhead&) = delete;

  const std::string& input_path() const { return input_path_; }
  const std::string& picture_path() const { return picture_path_; }
  // Waits for the attempts to end; the picture, if any, is then the
  // caller's to load and delete. Returns the signal that ended them, as
  // run_converter_attempts() does.
  int take_over();

 private:
  void attempt();

  std::string input_path_;
  std::string picture_path_;
  std::string converter_;
  HandOver hand_over_;
  std::atomic<bool> cancel_{false};
  std::mutex lock_;
  std::condition_variable cancelled_;
  bool taken_ = false;
  int signal_ = 0;  // written by the attempts' thread, read after it is joined
  std::thread thread_;
};

// The per-file step for a batch. When `ahead` holds the attempts made ahead
// for the current input, their picture is used instead of running the
// converter again; otherwise `ahead` is discarded. When `next_input` is
// given, the attempts for it start into `ahead` (at once, or once the
// current picture is loaded when the two pictures would share a name), so
// the converter works on the next file while this one is decoded, goes
// through the chain and is saved. The result is the one
// convert_current_file() gives.
ConversionResult convert_current_file(std::unique_ptr<ConverterAhead>& ahead,
                                      const std::string* next_input);

// FreeImage save flags for an output extension, from its settings.
int32_t compute_save_flags(std::string_view extension);

// The external converter: PIXMERA_CONVERTER when set, else "convert" in the
// private folder, else "convert" through PATH. Empty when none is found.
std::string find_converter();
// Whether `converter` is the PhotoCD converter we ship (the private
// folder's "convert", also when PIXMERA_CONVERTER names it).
bool is_our_converter(const std::string& converter);
// What the job asks `converter` for: 16 bits per channel when the output
// depth is 48 or 96 bits (and not chosen automatically), floats instead at
// 96 bits from our converter; the PhotoCD colour choice of the settings.
HandOver hand_over_for(const std::string& converter);
// The name ending of the converter's picture: ".tga", ".ppm" or ".pfm".
std::string_view picture_extension(const HandOver& hand_over);
// The arguments of one converter run for a sub-image index: "-depth 16" or
// "-depth 32" before the input for deeper pictures, and for our converter
// the colour choice when it is not the default.
std::vector<std::string> converter_arguments(const std::string& input_path, int index,
                                             const std::string& picture_path,
                                             const HandOver& hand_over = {});
// Runs the converter once; when it hangs past its time limit or crashes, any
// file it left at `tga_path` is deleted, and so is the temporary file our
// converter writes before renaming it there, so the attempt counts as
// failed and leaves nothing. `cancel` becoming true ends the run the same
// way. Returns the signal that ended the converter when it crashed or was
// killed from outside, else 0 (also after a time-out or a cancel, which
// kill it from here).
int run_converter(const std::string& converter, const std::string& input_path, int index,
                   const std::string& tga_path, const HandOver& hand_over = {},
                   const std::atomic<bool>* cancel = nullptr);

// The picture a converter left, in whatever format its first bytes show
// (FreeImage's file type): a TGA, a 16-bit PPM, which load_ppm48 reads, or
// a PFM, which load_pfm reads. Empty when it does not load.
Image load_converter_picture(const std::string& path);
// An uncompressed 24-bit TGA without colour map, image ID or footer, read
// straight into the picture FreeImage's reader would make of it; an empty
// picture when it cannot be read, nullopt when it is another kind of TGA
// (or no TGA), for FreeImage's own reader to take.
std::optional<Image> load_tga24(const std::string& path);
// A binary PPM of more than 8 bits per sample as 16-bit RGB; an empty
// picture when it is damaged or cut short, nullopt when it is no such PPM
// (8-bit ones included), for FreeImage's own reader to take.
std::optional<Image> load_ppm48(const std::string& path);
// A colour PFM as floating-point RGB, its values as they are (above 1.0 and
// below 0 included); an empty picture when it is damaged or cut short,
// nullopt when it is no colour PFM.
std::optional<Image> load_pfm(const std::string& path);

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
