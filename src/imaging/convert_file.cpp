#include "imaging/convert_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>

#include "imaging/buffered_file.h"
#include "imaging/colour_space.h"
#include "imaging/operations.h"
#include "imaging/photocd_record.h"
#include "pipeline/current_file.h"
#include "pipeline/naming_mask.h"
#include "platform/files.h"
#include "util/text.h"

namespace pixmera {

namespace {

void pause_after_converter() { std::this_thread::sleep_for(kPauseAfterConverter); }

// The converter's picture when it left one, else FreeImage's PhotoCD loader;
// `from_converter` tells which.
Image load_decoded_picture(const std::string& tga_path, const std::string& input_path,
                           bool& from_converter) {
  from_converter = file_size(tga_path) > 0;
  if (from_converter) return load_converter_picture(tga_path);
  return load_photocd_fallback(input_path);
}

unsigned exif_resolution(FIBITMAP* picture, const char* tag_name, unsigned fallback) {
  FITAG* tag = nullptr;
  if (!FreeImage_GetMetadata(FIMD_EXIF_MAIN, picture, tag_name, &tag) || tag == nullptr) {
    return fallback;
  }
  const void* value = FreeImage_GetTagValue(tag);
  if (value == nullptr || FreeImage_GetTagLength(tag) < 4) return fallback;
  // A rational's first word is its numerator; the denominator is taken as 1.
  uint32_t dots_per_inch = 0;
  std::memcpy(&dots_per_inch, value, sizeof dots_per_inch);
  return static_cast<unsigned>(dots_per_metre(dots_per_inch));
}

}  // namespace

Resolution read_resolution(FIBITMAP* picture) {
  Resolution resolution{FreeImage_GetDotsPerMeterX(picture), FreeImage_GetDotsPerMeterY(picture)};
  if (FreeImage_GetMetadataCount(FIMD_EXIF_MAIN, picture) != 0) {
    resolution.x = exif_resolution(picture, "XResolution", resolution.x);
    resolution.y = exif_resolution(picture, "YResolution", resolution.y);
  }
  return resolution;
}

namespace {

// Saves to a temporary file beside the output and renames it into place, so
// a failed save leaves neither a truncated file nor a destroyed older one.
// On failure `error` holds the errno of the step that failed (0 when
// FreeImage could not encode the picture). A TIFF gets the product and the
// PhotoCD's record in its tags before it is renamed.
bool save_picture(FIBITMAP* picture, const std::string& path, const PhotoCdRecord& record,
                  int& error) {
  const std::string folder(folder_of(path));
  const std::string temp = make_temporary_file(folder, ".pixmera-", ".tmp");
  if (temp.empty()) {
    error = errno;
    return false;
  }
  const auto format = static_cast<FREE_IMAGE_FORMAT>(g_current_file.output_format_id);
  bool saved = save_buffered(format, picture, temp, g_current_file.save_flags, &error);
  if (saved && format == FIF_TIFF && !write_photocd_tiff_tags(temp, record)) {
    error = errno;
    saved = false;
  }
  if (saved && rename_file(temp, path)) return true;
  if (saved) error = errno;
  delete_file(temp);
  return false;
}

// The operation chain in its fixed order; every operation checks its own
// switch. Returns the picture to save; when an operation failed it is empty
// and `failed` names the operation.
Image run_operations(Image picture, std::string_view& failed) {
  const auto check = [&picture, &failed](std::string_view operation) {
    if (!picture && failed.empty()) failed = operation;
  };
  picture = rotate(std::move(picture));
  check("Rotation");
  picture = resize(std::move(picture), width_of(picture), height_of(picture));
  check("Resize");
  const int32_t width = width_of(picture);
  const int32_t height = height_of(picture);
  flip(picture);
  picture = adjust_colors(std::move(picture));
  check("Color adjustment");
  picture = greyscale(std::move(picture));
  check("Greyscale");
  picture = threshold(std::move(picture));
  check("Threshold");
  picture = dither(std::move(picture));
  check("Dither");
  picture = frame(std::move(picture), width, height);
  check("Frame");
  g_current_file.mask_width = width;
  g_current_file.mask_height = height;
  g_current_file.mask_size_valid = 1;
  picture = watermark(std::move(picture), width, height);
  check("Watermark");
  picture = convert_bit_depth(std::move(picture));
  check("Bit depth");
  return picture;
}

ConversionResult failed(ConversionFailure failure, std::string path, int system_error = 0) {
  ConversionResult result;
  result.failure = failure;
  result.path = std::move(path);
  result.system_error = system_error;
  return result;
}

// Why nothing could be decoded, looked for only once decoding has failed: a
// read error, a file that is no PhotoCD, a converter's file that is no
// picture, or a file that neither the converter nor the fallback took.
ConversionResult decoding_failure(const std::string& input_path, const std::string& tga_path) {
  if (const int error = file_read_error(input_path); error != 0) {
    return failed(ConversionFailure::UnreadableInput, input_path, error);
  }
  if (!has_photocd_signature(input_path)) return failed(ConversionFailure::NotPhotoCd, input_path);
  ConversionResult result = file_size(tga_path) > 0
                                ? failed(ConversionFailure::NotAPicture, tga_path)
                                : failed(ConversionFailure::NoDecodedPicture, input_path);
  result.converter = find_converter();
  return result;
}

// Whether the save flags make the writer store samples that no RGB or grey
// profile describes: CMYK, or a TIFF's LogLuv.
bool separated_samples(FREE_IMAGE_FORMAT format) {
  const int32_t flags = g_current_file.save_flags;
  return format == FIF_TIFF &&
         ((flags & TIFF_CMYK) == TIFF_CMYK || (flags & TIFF_LOGLUV) == TIFF_LOGLUV);
}

// A converter that crashed or was killed from outside: the file is reported
// with that signal, never decoded from a smaller sub-image or the fallback.
ConversionResult converter_killed(const std::string& input_path, const std::string& converter,
                                  int signal) {
  ConversionResult result = failed(ConversionFailure::ConverterKilled, input_path);
  result.converter = converter;
  result.signal = signal;
  return result;
}

// `decoded_ahead`: the converter's attempts were made ahead of time, and
// their picture (if any) is at `tga_path`; `ahead_signal` is the signal that
// ended them, if one did. `decoded` is called once the picture is loaded
// for good, before the chain.
ConversionResult convert_and_save(const std::string& input_path, const std::string& tga_path,
                                  const std::string& converter, const HandOver& hand_over,
                                  bool decoded_ahead, int ahead_signal,
                                  const std::function<void()>& decoded) {
  const int signal = decoded_ahead ? ahead_signal
                                   : run_converter_attempts(converter, input_path, tga_path,
                                                            hand_over, nullptr,
                                                            pause_after_converter);
  if (signal != 0) return converter_killed(input_path, converter, signal);
  bool from_converter = false;
  Image picture = load_decoded_picture(tga_path, input_path, from_converter);
  if (width_of(picture) == 0 || height_of(picture) == 0) {
    return decoding_failure(input_path, tga_path);
  }
  g_current_file.source_bpp = static_cast<int32_t>(bpp_of(picture));

  // A converter asked for a level the file lacks may hand back a stretched
  // picture (6144x2048 from a 16Base pack); its short side tells the level
  // to ask for instead.
  const int index = second_conversion_index(width_of(picture), height_of(picture));
  if (index >= 0) {
    delete_file(tga_path);
    pause_after_converter();
    if (const int second = run_converter(converter, input_path, index, tga_path, hand_over)) {
      return converter_killed(input_path, converter, second);
    }
    picture = load_decoded_picture(tga_path, input_path, from_converter);
    if (width_of(picture) == 0 || height_of(picture) == 0) {
      return decoding_failure(input_path, tga_path);
    }
    g_current_file.source_bpp = static_cast<int32_t>(bpp_of(picture));
  }
  decoded();

  // Our converter decoded into the chosen space; a picture from any other
  // decoder is sRGB with its highlights already clipped, and is brought to
  // that space here, so the profile the file carries is true either way.
  const photocd::ColourSpace space = hand_over.colour.space;
  if (!(from_converter && hand_over.ours)) {
    picture = convert_from_srgb(std::move(picture), space);
    if (!picture) {
      ConversionResult result = failed(ConversionFailure::OperationFailed, input_path);
      result.operation = "Color space";
      return result;
    }
  }

  const Resolution resolution = read_resolution(picture.get());
  std::string_view failed_operation;
  picture = run_operations(std::move(picture), failed_operation);
  if (!picture) {
    ConversionResult result = failed(ConversionFailure::OperationFailed, input_path);
    result.operation = failed_operation;
    return result;
  }
  FreeImage_SetDotsPerMeterX(picture.get(), resolution.x);
  FreeImage_SetDotsPerMeterY(picture.get(), resolution.y);

  g_current_file.output_path = output_file_path();
  const std::string& output = g_current_file.output_path;
  // Never write over the picture being converted.
  if (output == input_path || same_file(output, input_path)) {
    return failed(ConversionFailure::OverwritesInput, output);
  }
  // Sub-folders are made below the output folder, never the output folder
  // itself: once it is gone (a disk pulled out leaves its empty mount
  // point), the files are reported rather than written where it was.
  if (!g_current_file.sub_folder.empty() && is_folder(g_current_file.output_folder)) {
    make_folders(std::string(folder_of(output)));
  }
  // Without an information block the file still names the product. A file
  // that can no longer be read (its disc taken out after its picture was
  // decoded ahead) is reported, not saved without its record.
  const std::optional<PhotoCdRecord> found = read_photocd_record(input_path);
  if (!found) {
    if (const int error = file_read_error(input_path); error != 0) {
      return failed(ConversionFailure::UnreadableInput, input_path, error);
    }
  }
  const PhotoCdRecord record = found.value_or(PhotoCdRecord{});
  attach_photocd_xmp(picture.get(), record);
  const auto format = static_cast<FREE_IMAGE_FORMAT>(g_current_file.output_format_id);
  attach_icc_profile(picture.get(), space, separated_samples(format));
  int error = 0;
  if (!save_picture(picture.get(), output, record, error)) {
    return failed(ConversionFailure::CannotWrite, output, error);
  }
  return ConversionResult{};
}

}  // namespace

int second_conversion_index(int width, int height) {
  if (width <= 0 || height <= 0) return -1;
  const bool landscape = width >= height;
  const double ratio =
      landscape ? static_cast<double>(width) / height : static_cast<double>(height) / width;
  if (ratio <= 1.6) return -1;
  switch (landscape ? height : width) {
    case 2048:
      return 5;
    case 1024:
      return 4;
    case 512:
      return 3;
    default:
      return -1;
  }
}

int32_t dots_per_metre(double dots_per_inch) {
  // Held inside the 32-bit range: EXIF values come from the file.
  const double value = dots_per_inch / 0.0254 + 0.5;
  if (!(value > 0.0)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  return static_cast<int32_t>(value);
}

namespace {

// The converter's picture for an input: the input's name without its
// extension in the configuration folder, ending as the hand-over's format.
std::string decoded_picture_path(const std::string& input_path, const HandOver& hand_over) {
  const std::string name(file_name_of(input_path));
  const size_t dot = name.find_last_of('.');
  return configuration_folder() + (dot == std::string::npos ? name : name.substr(0, dot)) +
         std::string(picture_extension(hand_over));
}

}  // namespace

ConversionResult convert_current_file() {
  std::unique_ptr<ConverterAhead> none;
  return convert_current_file(none, nullptr);
}

ConversionResult convert_current_file(std::unique_ptr<ConverterAhead>& ahead,
                                      const std::string* next_input) {
  const std::string input_path = g_current_file.input_path;
  const std::string converter = find_converter();
  const HandOver hand_over = hand_over_for(converter);
  const std::string tga_path = decoded_picture_path(input_path, hand_over);
  std::unique_ptr<ConverterAhead> mine = std::move(ahead);
  const bool decoded_ahead =
      mine && mine->input_path() == input_path && mine->picture_path() == tga_path;
  if (!decoded_ahead) mine.reset();

  // The next file's attempts start at once, so its converter and its pauses
  // overlap this file's. When its picture would have this one's name (a file
  // of the same name in another folder), they start only once this picture
  // is loaded and its file deleted.
  const std::string next_picture =
      next_input != nullptr ? decoded_picture_path(*next_input, hand_over) : "";
  const bool same_name = next_input != nullptr && next_picture == tga_path;
  // Without a thread to be had, the next file runs its converter itself.
  const auto start_next = [&] {
    try {
      ahead = std::make_unique<ConverterAhead>(*next_input, next_picture, converter, hand_over);
    } catch (const std::system_error&) {
      ahead.reset();
    }
  };
  if (next_input != nullptr && !same_name) start_next();

  int ahead_signal = 0;
  if (decoded_ahead) {
    ahead_signal = mine->take_over();
    mine.reset();
  } else if (file_exists(tga_path)) {
    delete_file(tga_path);
  }
  // Once the picture is loaded its file has done its work. Deleting it
  // frees some twenty megabytes of cached pages, a few milliseconds, done on
  // a thread of its own beside the chain and the save; before the next
  // file's attempts when those would write a file of the same name.
  bool picture_deleted = false;
  std::jthread deleting;  // joined on every way out
  const auto decoded = [&] {
    picture_deleted = true;
    if (same_name) {
      if (file_exists(tga_path)) delete_file(tga_path);
      start_next();
    } else if (file_exists(tga_path)) {
      try {
        deleting = std::jthread([&tga_path] { delete_file(tga_path); });
      } catch (const std::system_error&) {
        delete_file(tga_path);
      }
    }
  };
  const ConversionResult result =
      convert_and_save(input_path, tga_path, converter, hand_over, decoded_ahead,
                       ahead_signal, decoded);

  if (deleting.joinable()) deleting.join();
  if (!picture_deleted && file_exists(tga_path)) delete_file(tga_path);
  g_current_file.input_path = input_path;
  return result;
}

}  // namespace pixmera
