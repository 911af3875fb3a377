#include "pipeline/driver.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "imaging/convert_file.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "pipeline/signatures.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "settings/catalogue.h"
#include "settings/keywords.h"
#include "settings/product.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

constexpr int32_t kNumber = -1;  // a debug value printed as a decimal number
constexpr int32_t kText = -2;    // a debug value printed as it is stored

// One line of the debug listing: a label and the setting it shows, as a
// number, a text or the keyword of a family.
struct DebugLine {
  std::string_view label;
  std::string_view group;
  std::string_view key;
  int32_t family;
};

struct DebugBranch {
  std::string_view type;
  std::array<DebugLine, 5> lines;
};

// Load options listed for each input type.
constexpr std::array<DebugBranch, 6> kInputTypeLines = {{
    {"dds", {{{"DDS Load As: ", "Input", "DDS Load As", kFamilyDdsLoadAs}}}},
    {"gif", {{{"GIF Frame Loading: ", "Input", "GIF Frame Loading", kFamilyFrameLoading}}}},
    {"ico", {{{"ICO Frame Loading: ", "Input", "ICO Frame Loading", kFamilyFrameLoading}}}},
    {"psd", {{{"PSD Color Mode: ", "Input", "PSD Color Mode", kFamilyColorMode}}}},
    {"raw",
     {{{"RAW Load As: ", "Input", "RAW Load As", kFamilyRawLoadAs},
       {"RAW Header Size: ", "Input", "RAW Header Size", kNumber},
       {"RAW Image Width: ", "Input", "RAW Image Width", kNumber},
       {"RAW Image Height: ", "Input", "RAW Image Height", kNumber},
       {"RAW Tone Mapping: ", "Input", "RAW Tone Mapping", kFamilyRawToneMapping}}}},
    {"tiff", {{{"TIFF Frame Loading: ", "Input", "TIFF Frame Loading", kFamilyFrameLoading}}}},
}};

// Save options listed for each conversion type. Every type starts with its
// bit depth; the types without further options have only that line.
constexpr std::array<DebugBranch, 23> kOutputTypeLines = {{
    {"bmp",
     {{{"BMP BPP: ", "Output", "BMP BPP", kNumber},
       {"BMP Compression: ", "Output", "BMP Compression", kFamilyCompression},
       {"BMP Color Table: ", "Output", "BMP Color Table", kFamilyBmpColorTable}}}},
    {"dds", {{{"DDS BPP: ", "Output", "DDS BPP", kNumber}}}},
    {"exr",
     {{{"EXR BPP: ", "Output", "EXR BPP", kNumber},
       {"EXR Compression: ", "Output", "EXR Compression", kFamilyCompression}}}},
    {"gif", {{{"GIF BPP: ", "Output", "GIF BPP", kNumber}}}},
    {"hdr", {{{"HDR BPP: ", "Output", "HDR BPP", kNumber}}}},
    {"ico", {{{"ICO BPP: ", "Output", "ICO BPP", kNumber}}}},
    {"j2k", {{{"J2K BPP: ", "Output", "J2K BPP", kNumber}}}},
    {"jng", {{{"JNG BPP: ", "Output", "JNG BPP", kNumber}}}},
    {"jp2", {{{"JP2 BPP: ", "Output", "JP2 BPP", kNumber}}}},
    {"jpg",
     {{{"JPG BPP: ", "Output", "JPG BPP", kNumber},
       {"JPG Quality: ", "Output", "JPG Quality", kNumber},
       {"JPG Chroma Subsampling: ", "Output", "JPG Chroma", kFamilyJpegChroma},
       {"JPG Save As: ", "Output", "JPG Save As", kFamilyJpegSaveAs}}}},
    {"jxr", {{{"JXR BPP: ", "Output", "JXR BPP", kNumber}}}},
    {"pbm", {{{"PBM BPP: ", "Output", "PBM BPP", kNumber}}}},
    {"pcx", {{{"PCX BPP: ", "Output", "PCX BPP", kNumber}}}},
    {"pfm", {{{"PFM BPP: ", "Output", "PFM BPP", kNumber}}}},
    {"pgm", {{{"PGM BPP: ", "Output", "PGM BPP", kNumber}}}},
    {"png",
     {{{"PNG BPP: ", "Output", "PNG BPP", kNumber},
       {"PNG Compression: ", "Output", "PNG Compression", kFamilyCompression},
       {"PNG Interlaced: ", "Output", "PNG Interlaced", kNumber}}}},
    {"ppm", {{{"PPM BPP: ", "Output", "PPM BPP", kNumber}}}},
    {"psd", {{{"PSD BPP: ", "Output", "PSD BPP", kNumber}}}},
    {"tga",
     {{{"TGA BPP: ", "Output", "TGA BPP", kNumber},
       {"TGA Compression: ", "Output", "TGA Compression", kFamilyCompression}}}},
    {"tiff",
     {{{"TIFF BPP: ", "Output", "TIFF BPP", kNumber},
       {"TIFF Compression: ", "Output", "TIFF Compression", kFamilyCompression},
       {"TIFF Color Mode: ", "Output", "TIFF Color Mode", kFamilyColorMode}}}},
    {"wbmp", {{{"WBMP BPP: ", "Output", "WBMP BPP", kNumber}}}},
    {"webp",
     {{{"WEBP BPP: ", "Output", "WEBP BPP", kNumber},
       {"WEBP Quality: ", "Output", "WEBP Quality", kNumber}}}},
    {"xpm", {{{"XPM BPP: ", "Output", "XPM BPP", kNumber}}}},
}};

constexpr std::array<DebugLine, 18> kTextWatermarkLines = {{
    {"Watermark text: ", "Watermark", "Text", kText},
    {"Watermark font: ", "Watermark", "Font", kText},
    {"Watermark font size: ", "Watermark", "Font Size", kNumber},
    {"Watermark font leading: ", "Watermark", "Font Leading", kNumber},
    {"Watermark font color: ", "Watermark", "Font Color", kText},
    {"Watermark font style: ", "Watermark", "Font Style", kFamilyFontStyle},
    {"Watermark font effect: ", "Watermark", "Font Effect", kFamilyFontEffect},
    {"Watermark text antialiasing: ", "Watermark", "Text Antialiasing", kNumber},
    {"Watermark text alignment: ", "Watermark", "Text Alignment", kFamilyTextAlignment},
    {"Watermark text padding: ", "Watermark", "Text Padding", kNumber},
    {"Watermark text opacity: ", "Watermark", "Text Opacity", kNumber},
    {"Watermark background color: ", "Watermark", "Back Color", kText},
    {"Watermark background opacity: ", "Watermark", "Back Opacity", kNumber},
    {"Watermark boundary: ", "Watermark", "Text Boundary", kFamilyBoundary},
    {"Watermark position: ", "Watermark", "Text Position", kFamilyPosition},
    {"Watermark offset (x/y): ", "Watermark", "Text X Offset", kNumber},
    {"Watermark rotation: ", "Watermark", "Text Rotation", kNumber},
    {"Watermark size/mode: ", "Watermark", "Text Size", kFamilySize},
}};

constexpr std::array<DebugLine, 8> kImageWatermarkLines = {{
    {"Watermark image: ", "Watermark", "Image", kText},
    {"Watermark greyscale: ", "Watermark", "Image Greyscale", kNumber},
    {"Watermark opacity: ", "Watermark", "Image Opacity", kNumber},
    {"Watermark boundary: ", "Watermark", "Image Boundary", kFamilyBoundary},
    {"Watermark position: ", "Watermark", "Image Position", kFamilyPosition},
    {"Watermark offset (x/y): ", "Watermark", "Image X Offset", kNumber},
    {"Watermark rotation: ", "Watermark", "Image Rotation", kNumber},
    {"Watermark size/mode: ", "Watermark", "Image Size", kFamilySize},
}};

constexpr std::array<DebugLine, 9> kFrameLines = {{
    {"Frame left: ", "Frame", "Solid Left", kNumber},
    {"Frame right: ", "Frame", "Solid Right", kNumber},
    {"Frame top: ", "Frame", "Solid Top", kNumber},
    {"Frame bottom: ", "Frame", "Solid Bottom", kNumber},
    {"Frame left color: ", "Frame", "Solid Left Color", kText},
    {"Frame right color: ", "Frame", "Solid Right Color", kText},
    {"Frame top color: ", "Frame", "Solid Top Color", kText},
    {"Frame bottom color: ", "Frame", "Solid Bottom Color", kText},
    {"Frame opacity: ", "Frame", "Solid Opacity", kNumber},
}};

// One conversion job: its flags and the lines it prints.
struct Job {
  bool quiet = false;
  bool debug = false;

  void status(std::string_view group, std::string_view key, std::string_view s1 = {},
              std::string_view s2 = {}) const {
    if (!quiet) console_print_line(format_placeholders(catalogue_text(group, key), s1, s2));
  }
  void debug_line(std::string_view label, std::string_view value) const {
    if (debug) console_print_line(std::string(label) + std::string(value));
  }
  // Every validation failure prints one line and ends the job.
  static int fail(std::string_view message) {
    console_print_line("Error: " + std::string(message));
    return 1;
  }
};

std::string real_text(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
  return buffer;
}

std::string setting_value_text(const DebugLine& line) {
  const SettingField* field = find_setting(line.group, line.key);
  if (field == nullptr) return {};
  if (line.family == kText) return setting_text(g_settings, *field);
  if (field->type == SettingType::Real) return real_text(setting_real(g_settings, *field));
  const int32_t value = setting_int(g_settings, *field);
  return line.family == kNumber ? std::to_string(value) : code_to_keyword(line.family, value);
}

template <typename Lines>
void print_debug_lines(const Job& job, const Lines& lines) {
  for (const DebugLine& line : lines) {
    if (line.label.empty()) break;
    std::string value = setting_value_text(line);
    // The offset line shows both offsets, "x/y".
    if (line.label == "Watermark offset (x/y): ") {
      const bool text = line.key == "Text X Offset";
      const int32_t y = text ? g_settings.text_y_offset : g_settings.image_y_offset;
      value += "/" + std::to_string(y);
    }
    job.debug_line(line.label, value);
  }
}

template <size_t N>
const DebugBranch* find_branch(const std::array<DebugBranch, N>& branches, std::string_view type) {
  for (const DebugBranch& branch : branches) {
    if (branch.type == type) return &branch;
  }
  return nullptr;
}

std::string flag_text(uint8_t value) { return std::to_string(value); }

// The output folder made absolute: relative folders are taken from the
// program's folder; the result ends in the separator. Empty when it is
// refused.
bool resolve_output_folder(std::string& folder) {
  folder = native_separators(std::move(folder));
  if (folder.starts_with("..")) return false;
  if (!is_absolute_path(folder)) {
    if (folder.size() >= 2 && folder[0] == '.' && is_path_separator(folder[1])) folder.erase(0, 2);
    folder = g_current_file.program_folder + folder;
  }
  if (!is_path_separator(folder.back())) folder += kPathSeparator;
  return true;
}

// The folder of the input file, made absolute against the working folder so
// that "-i x.pcd" writes beside x.pcd, not beside the program.
std::string input_folder(const std::string& input_path) {
  std::error_code ec;
  const std::filesystem::path absolute =
      std::filesystem::absolute(file_system_path(input_path), ec);
  if (ec) return std::string(folder_of(input_path));
  return std::string(folder_of(utf8_path(absolute.lexically_normal())));
}

// Validation of the settings the chosen operations use (the numbered checks
// of the job). Returns 0 to go on, 1 after printing the error.
int check_operation_settings(const Job& job, bool& font_prepared) {
  const Settings& s = g_settings;
  if (s.do_image_rotation != 0) {
    job.debug_line("Image Rotation Type: ",
                   code_to_keyword(kFamilyRotationType, s.image_rotation_type));
    job.debug_line("Image Rotation: ", std::to_string(s.image_rotation));
    job.debug_line("Image Rotation Back Color: ", s.image_rotation_back_color);
  }
  if (s.do_image_resize != 0) {
    job.debug_line("Width: ", std::to_string(s.image_width) + " " +
                                  code_to_keyword(kFamilyUnit, s.image_width_unit));
    if (s.image_width == 0) return Job::fail("Invalid width value");
    job.debug_line("Height: ", std::to_string(s.image_height) + " " +
                                   code_to_keyword(kFamilyUnit, s.image_height_unit));
    if (s.image_height == 0) return Job::fail("Invalid height value");
    job.debug_line("Keep Aspect Ratio: ", flag_text(s.keep_aspect_ratio));
    job.debug_line("Image Resize Type: ", code_to_keyword(kFamilyResizeType, s.image_resize_type));
    job.debug_line("Image Resize Algorithm: ",
                   code_to_keyword(kFamilyResizeAlgorithm, s.image_resize_algorithm));
  }
  job.debug_line("Flip Horizontal: ", flag_text(s.do_image_flip_horizontal));
  job.debug_line("Flip Vertical: ", flag_text(s.do_image_flip_vertical));
  if (s.do_image_color_correction != 0) {
    job.debug_line("Brightness: ", std::to_string(s.image_brightness));
    if (!brightness_in_range(s.image_brightness)) return Job::fail("Invalid brightness value");
    job.debug_line("Contrast: ", std::to_string(s.image_contrast));
    if (!contrast_in_range(s.image_contrast)) return Job::fail("Invalid contrast value");
    job.debug_line("Gamma: ", real_text(s.image_gamma));
    if (!gamma_in_range(s.image_gamma)) return Job::fail("Invalid gamma value");
  }
  job.debug_line("Invert: ", flag_text(s.image_invert));
  job.debug_line("Greyscale: ", flag_text(s.do_image_greyscale));
  job.debug_line("Image Threshold: ", std::to_string(s.image_threshold));
  job.debug_line("Image Dithering Algorithm: ",
                 code_to_keyword(kFamilyDitherAlgorithm, s.image_dither_algorithm));

  job.debug_line("Frame: ", code_to_keyword(kFamilyFrameType, s.do_frame));
  if (s.do_frame == 1) print_debug_lines(job, kFrameLines);

  job.debug_line("Watermark: ", code_to_keyword(kFamilyWatermarkType, s.do_watermark));
  if (s.do_watermark == 1) {
    print_debug_lines(job, kTextWatermarkLines);
    if (!prepare_watermark_font()) return Job::fail("Invalid watermark font");
    font_prepared = true;
  } else if (s.do_watermark == 2) {
    print_debug_lines(job, kImageWatermarkLines);
    if (file_size(s.image) <= 0) return Job::fail("Invalid watermark image");
  }

  job.debug_line("Filename Mask: ", s.filename_mask);
  job.debug_line("File Timestamp: ", code_to_keyword(kFamilyFileTimestamp, s.file_timestamp));
  if (s.file_timestamp == 2)
    job.debug_line("Custom Timestamp: ", std::to_string(s.custom_timestamp));
  job.debug_line("Keep Subfolders: ", flag_text(s.keep_subfolders));
  return 0;
}

// Steps of the job before anything is imported: input, output folder,
// conversion type, every setting the job uses, then the job's fixed values
// in the current-file record. Returns 0 to go on.
int validate_job(const Job& job, bool& font_prepared) {
  CurrentFile& file = g_current_file;
  job.status("General", "Preparing");
  job.debug_line("Input: ", file.given_input_path);
  if (extension_of(file.given_input_path).empty()) {
    file.given_input_path.clear();
    return Job::fail("Invalid input file");
  }
  file.input_path = native_separators(file.given_input_path);
  file.given_input_path.clear();
  if (file_size(file.input_path) <= 0) return Job::fail("Invalid input file");

  if (file.output_folder.empty()) file.output_folder = input_folder(file.input_path);
  job.debug_line("Output: ", file.output_folder);
  if (!resolve_output_folder(file.output_folder)) return Job::fail("Incorrect output folder");
  if (!is_folder(file.output_folder)) return Job::fail("Invalid output folder");

  if (file.input_type.empty()) file.input_type = input_type_list().front();
  if (file.conversion_type.empty()) file.conversion_type = accepted_conversion_list().front();
  job.debug_line("Conversion: ", file.conversion_type);
  bool accepted = false;
  for (const std::string& type : accepted_conversion_list())
    accepted |= type == file.conversion_type;
  if (!accepted) return Job::fail("Invalid conversion type");

  if (const DebugBranch* branch = find_branch(kInputTypeLines, file.input_type)) {
    print_debug_lines(job, branch->lines);
  }
  const std::string& type = file.conversion_type;
  const SettingField* bpp_field = find_setting("Output", to_upper(type) + " BPP");
  const int32_t bpp = bpp_field != nullptr ? setting_int(g_settings, *bpp_field) : 0;
  if (const DebugBranch* branch = find_branch(kOutputTypeLines, type)) {
    print_debug_lines(job, branch->lines);
  }
  if (!is_allowed_bpp(type, bpp)) return Job::fail("Invalid " + type + "-bpp value");
  if (type == "jpg" && (g_settings.jpg_quality < 1 || g_settings.jpg_quality > 100)) {
    return Job::fail("Invalid jpg-quality value");
  }
  if (type == "webp" && (g_settings.webp_quality < 1 || g_settings.webp_quality > 100)) {
    return Job::fail("Invalid webp-quality value");
  }

  if (check_operation_settings(job, font_prepared) != 0) return 1;

  fill_job_values();
  return 0;
}

// The text that says why a file was not converted, from the catalogue; the
// console prints it after "pixmera: <file name>: ", the window lists it.
std::string failure_reason(const ConversionResult& result, const std::string& input_path) {
  const auto text = [](std::string_view key, std::string_view s1 = {}, std::string_view s2 = {}) {
    return format_placeholders(catalogue_text("Msg", key), s1, s2);
  };
  const std::string system_text =
      result.system_error != 0 ? std::generic_category().message(result.system_error) : "";
  switch (result.failure) {
    case ConversionFailure::None:
      return {};
    case ConversionFailure::UnreadableInput:
      return text("Cannot read input", result.path, system_text);
    case ConversionFailure::NotPhotoCd:
      return text("Not a PhotoCD file");
    case ConversionFailure::NoDecodedPicture:
      if (result.converter.empty()) return text("Cannot decode without converter");
      return text("Cannot decode", result.converter);
    case ConversionFailure::NotAPicture:
      return text("Converter picture unreadable", result.converter);
    case ConversionFailure::ConverterKilled:
      return text("Converter killed", result.converter, std::to_string(result.signal));
    case ConversionFailure::OperationFailed:
      return text("Operation failed",
                  catalogue_text("Msg", "Operation " + std::string(result.operation)));
    case ConversionFailure::OverwritesInput:
      return text("Would overwrite input", result.path);
    case ConversionFailure::CannotWrite: {
      if (result.system_error == 0) return text("Cannot encode output", result.path);
      std::string reason = text("Cannot write output", result.path, system_text);
      // Straight from a PhotoCD disc without -o: the TIFF was to go beside
      // the input, which no write can reach.
      const bool read_only =
          result.system_error == static_cast<int>(std::errc::read_only_file_system);
      // The hint names a console option; the window's user picks the folder.
      if (read_only && g_current_file.console_mode != 0 &&
          same_file(std::string(folder_of(result.path)), std::string(folder_of(input_path)))) {
        reason += " " + text("Read-only hint");
      }
      return reason;
    }
  }
  return {};
}

void set_output_timestamp(const std::string& input_path, const std::string& output_path) {
  if (g_settings.file_timestamp == 1) {
    int64_t seconds = 0;
    if (file_modified_time(input_path, seconds)) set_file_modified_time(output_path, seconds);
  } else if (g_settings.file_timestamp == 2) {
    set_file_modified_time(output_path, g_settings.custom_timestamp);
  }
}

}  // namespace

bool brightness_in_range(int32_t value) { return value >= -100 && value <= 100; }
bool contrast_in_range(int32_t value) { return value >= -100 && value <= 100; }
bool gamma_in_range(float value) { return value >= 0.01f && value <= 9.99f; }

void fill_job_values() {
  CurrentFile& file = g_current_file;
  const std::string& type = file.conversion_type;
  const SettingField* bpp_field = find_setting("Output", to_upper(type) + " BPP");
  const int32_t bpp = bpp_field != nullptr ? setting_int(g_settings, *bpp_field) : 0;
  file.output_format_id = output_format_id(type);
  file.output_bpp = bpp;
  file.save_flags = compute_save_flags(type);
  file.automatic_depth = bpp == 0 ? 1 : 0;
  if (file.random_number == 0) file.random_number = random_between(1, 99999);
  if (file.file_counter == 0) file.file_counter = 1;
}

int conversion_worker() {
  CurrentFile& file = g_current_file;
  const bool report = file.console_mode != 0 && file.debug_text == "DEBUG";
  reset_input_iteration();
  int32_t processed = 0;
  int32_t converted = 0;
  int64_t last_duration_ms = 0;
  {
    std::lock_guard lock(g_progress.mutex);
    g_progress.failures.clear();
  }

  // While a file goes through the chain and is saved, the converter already
  // works on the next one; a look-ahead nobody takes up (after a stop) is
  // discarded with its picture when the loop ends.
  std::unique_ptr<ConverterAhead> ahead;
  while (g_progress.running.load() != 0) {
    const InputEntry* entry = next_input_entry();
    if (entry == nullptr) break;
    ++processed;
    file.input_path = entry->path;
    file.sub_folder = entry->sub_folder;
    {
      std::lock_guard lock(g_progress.mutex);
      g_progress.processed = processed;
      g_progress.current_file = file.input_path;
      g_progress.last_duration_ms = last_duration_ms;
      g_progress.converted = converted;
    }
    if (report) {
      console_print_line("Processing: " + file.input_path);
      console_print_line("File Format: " + identify_file_signature(file.input_path));
    }
    const auto started = std::chrono::steady_clock::now();
    const InputEntry* following = peek_input_entry();
    const std::string next_path = following != nullptr ? following->path : std::string();
    const ConversionResult result =
        convert_current_file(ahead, following != nullptr ? &next_path : nullptr);
    if (result.saved()) {
      if (report) console_print_line("[OK] Saving As: " + file.output_path);
      ++converted;
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - started);
      last_duration_ms = std::max<int64_t>(elapsed.count(), 1000);
      file.random_number = random_between(1, 99999);
      ++file.file_counter;
      set_output_timestamp(file.input_path, file.output_path);
    } else {
      last_duration_ms = 0;
      if (report) console_print_line("[ERROR] Unable to convert the file!");
      const std::string reason = failure_reason(result, file.input_path);
      {
        std::lock_guard lock(g_progress.mutex);
        g_progress.failures.push_back(FileFailure{file.input_path, reason});
      }
      // Whatever -q and -d say: standard output stays as it always was.
      if (file.console_mode != 0) {
        console_print_error_line(format_placeholders(catalogue_text("Msg", "File failed"),
                                                     kShortName, file_name_of(file.input_path),
                                                     reason));
      }
    }
  }
  ahead.reset();
  std::lock_guard lock(g_progress.mutex);
  g_progress.converted = converted;
  return 0;
}

int run_conversion_job(bool quiet) {
  const Job job{quiet, g_current_file.debug_text == "DEBUG"};
  bool font_prepared = false;
  if (validate_job(job, font_prepared) != 0) {
    if (font_prepared) release_watermark_font();
    return 1;
  }

  job.status("General", "Importing");
  int32_t imported = 0;
  const std::string extension = to_lower(extension_of(g_current_file.input_path));
  if (extension != "txt" && extension != "lst")
    imported = add_input_file(g_current_file.input_path);
  {
    std::lock_guard lock(g_progress.mutex);
    g_progress.converted = imported;
  }
  job.status("Msg", "Import complete", std::to_string(imported));
  int status = 0;
  if (imported == 0) {
    console_print_line(catalogue_text("Msg", "Conversion is not complete"));
    console_print_line(catalogue_text("Msg", "Empty input files"));
    status = 1;
  } else {
    job.status("General", "Converting");
    {
      std::lock_guard lock(g_progress.mutex);
      g_progress.processed = 0;
      g_progress.current_file.clear();
      g_progress.converted = 0;
    }
    g_progress.running = 1;
    std::thread worker(conversion_worker);
    worker.join();
    g_progress.running = 0;

    int32_t converted = 0;
    {
      std::lock_guard lock(g_progress.mutex);
      converted = g_progress.converted;
    }
    if (converted != 0) {
      job.status("Msg", "Conversion complete");
      job.status("Msg", "Files converted", std::to_string(converted), std::to_string(imported));
    } else {
      console_print_line(catalogue_text("Msg", "Conversion is not complete"));
    }
    if (converted < imported) status = 1;
  }
  if (font_prepared) release_watermark_font();
  return status;
}

}  // namespace pixmera
