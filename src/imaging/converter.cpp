// The external PhotoCD converter: a helper program that writes one sub-image
// of a PhotoCD file as a TGA picture.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "imaging/buffered_file.h"
#include "imaging/colour_space.h"
#include "imaging/convert_file.h"
#include "pipeline/current_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/picture_files.h"
#include "platform/process.h"

namespace pixmera {

namespace {

constexpr double kDefaultTimeoutSeconds = 600.0;

double converter_timeout() {
  const std::string text = environment_variable("PIXMERA_CONVERTER_TIMEOUT");
  if (text.empty()) return kDefaultTimeoutSeconds;
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  return (end != text.c_str() && seconds > 0.0) ? seconds : kDefaultTimeoutSeconds;
}

std::string our_converter() { return private_folder() + "convert" + std::string(kProgramSuffix); }

}  // namespace

std::string find_converter() {
  if (const std::string named = environment_variable("PIXMERA_CONVERTER"); !named.empty()) {
    return find_in_path(named);
  }
  const std::string ours = our_converter();
  if (is_executable(ours)) return ours;
  return find_in_path("convert");
}

bool is_our_converter(const std::string& converter) {
  return !converter.empty() && same_file(converter, our_converter());
}

HandOver hand_over_for(const std::string& converter) {
  const CurrentFile& file = g_current_file;
  HandOver hand_over;
  hand_over.ours = is_our_converter(converter);
  hand_over.colour = photocd_colour_choice(g_settings);
  const bool chosen = file.automatic_depth == 0;
  if (chosen && file.output_bpp == 96 && hand_over.ours) {
    hand_over.depth = HandOverDepth::Floats;
  } else if (chosen && (file.output_bpp == 48 || file.output_bpp == 96)) {
    hand_over.depth = HandOverDepth::Sixteen;
  }
  return hand_over;
}

std::string_view picture_extension(const HandOver& hand_over) {
  switch (hand_over.depth) {
    case HandOverDepth::Sixteen:
      return ".ppm";  // what ImageMagick writes 16 bits to for "-depth 16"
    case HandOverDepth::Floats:
      return ".pfm";
    case HandOverDepth::Eight:
      break;
  }
  return ".tga";
}

std::vector<std::string> converter_arguments(const std::string& input_path, int index,
                                             const std::string& picture_path,
                                             const HandOver& hand_over) {
  // "-orient TopLeft" makes ImageMagick mark its TGA rows the way it writes
  // them, so FreeImage does not read its pictures upside down.
  std::vector<std::string> arguments{"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft"};
  if (hand_over.depth != HandOverDepth::Eight) {
    arguments.emplace_back("-depth");
    arguments.emplace_back(hand_over.depth == HandOverDepth::Floats ? "32" : "16");
  }
  // Only our converter knows these words; the defaults are left unsaid, so
  // a default conversion asks exactly what it always asked.
  const photocd::ColourChoice& colour = hand_over.colour;
  if (hand_over.ours && colour.highlights != photocd::Highlights::clip) {
    arguments.emplace_back("-photocd-highlights");
    arguments.emplace_back(photocd::highlights_word(colour.highlights));
  }
  if (hand_over.ours && colour.space != photocd::ColourSpace::srgb) {
    arguments.emplace_back("-photocd-color-space");
    arguments.emplace_back(photocd::colour_space_word(colour.space));
  }
  arguments.push_back(input_path + "[" + std::to_string(index) + "]");
  arguments.push_back(picture_path);
  return arguments;
}

namespace {

// Our converter writes its picture to ".<name>.<random>.tmp" beside it and
// renames it at the end; one killed before that leaves the temporary file.
void delete_converter_leftovers(const std::string& picture_path) {
  const std::filesystem::path picture = file_system_path(picture_path);
  const std::string prefix = "." + utf8_path(picture.filename()) + ".";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(picture.parent_path(), error)) {
    const std::string name = utf8_path(entry.path().filename());
    if (name.starts_with(prefix) && name.ends_with(".tmp")) delete_file(utf8_path(entry.path()));
  }
}

}  // namespace

int run_converter(const std::string& converter, const std::string& input_path, int index,
                   const std::string& tga_path, const HandOver& hand_over,
                   const std::atomic<bool>* cancel) {
  if (converter.empty()) return 0;
  const std::vector<std::string> arguments =
      converter_arguments(input_path, index, tga_path, hand_over);
  const RunResult result = cancel != nullptr
                               ? run_program(converter, arguments, converter_timeout(), *cancel)
                               : run_program(converter, arguments, converter_timeout());
  // A converter that hung, crashed or was stopped may have left half a
  // picture behind; it must not be taken for a result.
  if (result.outcome == RunOutcome::TimedOut || result.outcome == RunOutcome::Signalled ||
      result.outcome == RunOutcome::Cancelled) {
    delete_file(tga_path);
    delete_converter_leftovers(tga_path);
  }
  return result.outcome == RunOutcome::Signalled ? std::max(result.status, 1) : 0;
}

int run_converter_attempts(const std::string& converter, const std::string& input_path,
                           const std::string& picture_path, const HandOver& hand_over,
                           const std::atomic<bool>* cancel, const std::function<void()>& pause) {
  for (int index = kFirstSubImage; index >= 0 && !file_exists(picture_path); --index) {
    if (cancel != nullptr && cancel->load()) return 0;
    const int signal = run_converter(converter, input_path, index, picture_path, hand_over, cancel);
    if (signal != 0) return signal;
    pause();
  }
  return 0;
}

ConverterAhead::ConverterAhead(std::string input_path, std::string picture_path,
                               std::string converter, HandOver hand_over)
    : input_path_(std::move(input_path)),
      picture_path_(std::move(picture_path)),
      converter_(std::move(converter)),
      hand_over_(hand_over),
      thread_([this] { attempt(); }) {}

void ConverterAhead::attempt() {
  if (file_exists(picture_path_)) delete_file(picture_path_);
  signal_ = run_converter_attempts(converter_, input_path_, picture_path_, hand_over_, &cancel_,
                                   [this] {
                                     std::unique_lock<std::mutex> hold(lock_);
                                     cancelled_.wait_for(hold, kPauseAfterConverter,
                                                         [this] { return cancel_.load(); });
                                   });
}

int ConverterAhead::take_over() {
  if (thread_.joinable()) thread_.join();
  taken_ = true;
  return signal_;
}

ConverterAhead::~ConverterAhead() {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    cancel_ = true;
  }
  cancelled_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (taken_) return;
  if (file_exists(picture_path_)) delete_file(picture_path_);
  delete_converter_leftovers(picture_path_);
}

Image load_converter_picture(const std::string& path) {
  const FREE_IMAGE_FORMAT format = picture_file_type(path);
  // FreeImage names every Netpbm file after the first of its Netpbm
  // formats, whatever its kind.
  const bool netpbm = format == FIF_PBM || format == FIF_PBMRAW || format == FIF_PGM ||
                      format == FIF_PGMRAW || format == FIF_PPM || format == FIF_PPMRAW;
  if (netpbm) {
    if (std::optional<Image> deep = load_ppm48(path)) return std::move(*deep);
  }
  if (format == FIF_PFM) {
    if (std::optional<Image> floats = load_pfm(path)) return std::move(*floats);
  }
  // A Targa file carries no signature; what FreeImage cannot name is read
  // as one, as the converter's output always was.
  if (format == FIF_TARGA || format == FIF_UNKNOWN) {
    if (std::optional<Image> plain = load_tga24(path)) return std::move(*plain);
  }
  return adopt(load_buffered(format == FIF_UNKNOWN ? FIF_TARGA : format, path, 0));
}

}  // namespace pixmera
