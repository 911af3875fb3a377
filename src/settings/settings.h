// The Settings record: every conversion, interface and window setting of the
// program, each known by the configuration-file group and key it is stored
// under ("JPG Quality" of group "Output"). One global instance lives for the
// whole run; the defaults, the configuration file, the command line and a
// profile fill it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pixmera {

struct Settings {
  // General
  int32_t cfg = 0;
  std::string language;
  int32_t update_range = 0;
  int32_t update_date = 0;
  uint8_t save_window_position = 0;

  // Window
  uint8_t is_maximized = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t x = 0;
  int32_t y = 0;

  // Interface
  std::string ui_theme;
  int32_t ui_size = 0;

  // Input
  std::string input_format;
  int32_t dds_load_as = 0;
  int32_t gif_frame_loading = 0;
  int32_t ico_frame_loading = 0;
  int32_t tiff_frame_loading = 0;
  int32_t psd_color_mode = 0;
  int32_t raw_load_as = 0;
  int32_t raw_header_size = 0;
  int32_t raw_image_width = 0;
  int32_t raw_image_height = 0;
  int32_t raw_tone_mapping = 0;

  // PhotoCD: how our converter renders the colours it decodes (keyword codes
  // of the families kFamilyPhotoCdHighlights and kFamilyPhotoCdColorSpace).
  uint8_t photocd_highlights = 0;
  uint8_t photocd_color_space = 0;

  // Output
  std::string output_format;
  int32_t bmp_bpp = 0;
  int32_t bmp_compression = 0;
  int32_t bmp_color_table = 0;
  int32_t dds_bpp = 0;
  int32_t exr_bpp = 0;
  int32_t exr_compression = 0;
  int32_t gif_bpp = 0;
  int32_t hdr_bpp = 0;
  int32_t ico_bpp = 0;
  int32_t j2k_bpp = 0;
  int32_t jng_bpp = 0;
  int32_t jp2_bpp = 0;
  int32_t jpg_bpp = 0;
  int32_t jpg_quality = 0;
  int32_t jpg_chroma = 0;
  int32_t jpg_save_as = 0;
  int32_t jxr_bpp = 0;
  int32_t pbm_bpp = 0;
  int32_t pcx_bpp = 0;
  int32_t pfm_bpp = 0;
  int32_t pgm_bpp = 0;
  int32_t png_bpp = 0;
  int32_t png_compression = 0;
  uint8_t png_interlaced = 0;
  int32_t ppm_bpp = 0;
  int32_t psd_bpp = 0;
  int32_t tga_bpp = 0;
  int32_t tga_compression = 0;
  int32_t tiff_bpp = 0;
  int32_t tiff_compression = 0;
  int32_t tiff_color_mode = 0;
  int32_t wbmp_bpp = 0;
  int32_t webp_bpp = 0;
  int32_t webp_quality = 0;
  int32_t xpm_bpp = 0;

  // Transform
  uint8_t do_image_rotation = 0;
  uint8_t image_rotation_type = 0;
  int32_t image_rotation = 0;
  std::string image_rotation_back_color;
  uint8_t do_image_resize = 0;
  int32_t image_width = 0;
  uint8_t image_width_unit = 0;
  int32_t image_height = 0;
  uint8_t image_height_unit = 0;
  uint8_t keep_aspect_ratio = 0;
  uint8_t image_resize_type = 0;
  uint8_t image_resize_algorithm = 0;
  uint8_t do_image_flip_horizontal = 0;
  uint8_t do_image_flip_vertical = 0;

  // Adjustment
  uint8_t do_image_color_correction = 0;
  int32_t image_brightness = 0;
  int32_t image_contrast = 0;
  float image_gamma = 0.0f;
  uint8_t image_invert = 0;
  uint8_t do_image_greyscale = 0;
  uint8_t do_image_threshold = 0;
  int32_t image_threshold = 0;
  uint8_t do_image_dither = 0;
  uint8_t image_dither_algorithm = 0;

  // Frame
  uint8_t do_frame = 0;
  int32_t solid_left = 0;
  int32_t solid_right = 0;
  int32_t solid_top = 0;
  int32_t solid_bottom = 0;
  std::string solid_left_color;
  std::string solid_right_color;
  std::string solid_top_color;
  std::string solid_bottom_color;
  int32_t solid_opacity = 0;

  // Watermark
  uint8_t do_watermark = 0;
  std::string text;
  std::string fonts;
  std::string font;
  int32_t font_size = 0;
  int32_t font_leading = 0;
  std::string font_colors;
  std::string font_color;
  uint8_t font_style = 0;
  uint8_t font_effect = 0;
  uint8_t text_antialiasing = 0;
  uint8_t text_alignment = 0;
  int32_t text_padding = 0;
  int32_t text_opacity = 0;
  std::string back_colors;
  std::string back_color;
  int32_t back_opacity = 0;
  uint8_t text_boundary = 0;
  uint8_t text_position = 0;
  int32_t text_x_offset = 0;
  int32_t text_y_offset = 0;
  int32_t text_rotation = 0;
  uint8_t text_size = 0;
  int32_t text_scale = 0;
  std::string image;
  uint8_t image_greyscale = 0;
  int32_t image_opacity = 0;
  uint8_t image_boundary = 0;
  uint8_t image_position = 0;
  int32_t image_x_offset = 0;
  int32_t image_y_offset = 0;
  int32_t watermark_image_rotation = 0;
  uint8_t image_size = 0;
  int32_t image_scale = 0;

  // Advanced
  std::string filename_mask;
  uint8_t file_timestamp = 0;
  int32_t custom_timestamp = 0;
  uint8_t out_folders_history = 0;
  uint8_t out_folders_number = 0;
  uint8_t keep_subfolders = 0;

  // File
  std::string csv_delimiter;
  std::string recent_out_folders;
  std::string recent_files;

  // Privacy
  uint8_t clean_recent_files = 0;

  // Run-time fields, never stored in the configuration file.
  std::string config_path;
  std::vector<std::string> input_format_list;
  std::vector<std::string> output_format_list;
  int lock_handle = -1;  // single-instance lock; -1 when none is held

  bool operator==(const Settings&) const = default;
};

extern Settings g_settings;

// How a setting is stored and read back.
enum class SettingType {
  Flag,    // one byte, 0 or 1
  Byte,    // one unsigned byte: a small number or a keyword code
  Int,     // 32-bit signed
  Real,    // 32-bit float ("Image Gamma" only)
  String,  // text, colours and colour lists included
  Date,    // 32-bit seconds since 1970
};

using SettingMember = std::variant<uint8_t Settings::*, int32_t Settings::*, float Settings::*,
                                   std::string Settings::*>;

// One row of the settings table: where the setting lives in the file and in
// the record, and its default as text ("now" for the current time).
struct SettingField {
  std::string_view group;
  std::string_view key;
  SettingType type;
  SettingMember member;
  std::string_view default_value;
};

// Every stored setting, in group order and, within a group, in the order the
// configuration file writes them.
std::span<const SettingField> setting_fields();

// The field of a group and key (ASCII case-insensitive), or nullptr.
const SettingField* find_setting(std::string_view group, std::string_view key);

// Reading and writing a setting through its table row. Integers written into
// a byte setting keep their low byte.
int32_t setting_int(const Settings& s, const SettingField& field);
void set_setting_int(Settings& s, const SettingField& field, int32_t value);
float setting_real(const Settings& s, const SettingField& field);
void set_setting_real(Settings& s, const SettingField& field, float value);
const std::string& setting_text(const Settings& s, const SettingField& field);
void set_setting_text(Settings& s, const SettingField& field, std::string value);

// Fills every setting with its default, in group order. In command-line mode
// "Keep Aspect Ratio" is 0, in windowed mode 1. The run-time fields are kept.
void reset_settings(Settings& s, bool command_line_mode);

// (desktop extent - size) / 2 when size is smaller than the extent, else the
// fallback. An extent of 0 means "unknown" and gives the fallback.
int32_t window_default_position(int32_t size, int32_t fallback, int32_t desktop_extent);

// The state of the windowed face's current input list.
struct InputListState {
  std::string file_name;
  int32_t random_number = 0;
  std::string texts[6];
  int32_t counters[4] = {};
  uint8_t flags[4] = {};
};

extern InputListState g_input_list_state;

void reset_input_list_state(InputListState& state);

}  // namespace pixmera
