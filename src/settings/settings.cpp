#include "settings/settings.h"

#include <array>
#include <cstdlib>
#include <ctime>

#include "platform/desktop.h"
#include "settings/product.h"
#include "util/text.h"

namespace pixmera {

Settings g_settings;
InputListState g_input_list_state;

namespace {

using S = Settings;
using T = SettingType;

// The order of this table is the order of the defaults routine and of the
// configuration file. "Format" of "Input" and "Output" take the first entry
// of the program's format lists, "X"/"Y" are centred on the desktop and
// "Keep Aspect Ratio" depends on the mode; reset_settings fills those.
constexpr std::array kFields = {
    SettingField{"General", "CFG", T::Int, &S::cfg, "19"},
    SettingField{"General", "Language", T::String, &S::language, "en"},
    SettingField{"General", "Update Range", T::Int, &S::update_range, "2"},
    SettingField{"General", "Update Date", T::Date, &S::update_date, "now"},
    SettingField{"General", "Save Window Position", T::Flag, &S::save_window_position, "1"},

    SettingField{"Window", "IsMaximized", T::Flag, &S::is_maximized, "0"},
    SettingField{"Window", "Width", T::Int, &S::width, "510"},
    SettingField{"Window", "Height", T::Int, &S::height, "260"},
    SettingField{"Window", "X", T::Int, &S::x, "100"},
    SettingField{"Window", "Y", T::Int, &S::y, "100"},

    SettingField{"Interface", "UI Theme", T::String, &S::ui_theme, "handdrawn"},
    SettingField{"Interface", "UI Size", T::Int, &S::ui_size, "2"},

    SettingField{"Input", "Format", T::String, &S::input_format, ""},
    SettingField{"Input", "DDS Load As", T::Int, &S::dds_load_as, "0"},
    SettingField{"Input", "GIF Frame Loading", T::Int, &S::gif_frame_loading, "0"},
    SettingField{"Input", "ICO Frame Loading", T::Int, &S::ico_frame_loading, "0"},
    SettingField{"Input", "TIFF Frame Loading", T::Int, &S::tiff_frame_loading, "0"},
    SettingField{"Input", "PSD Color Mode", T::Int, &S::psd_color_mode, "0"},
    SettingField{"Input", "RAW Load As", T::Int, &S::raw_load_as, "0"},
    SettingField{"Input", "RAW Header Size", T::Int, &S::raw_header_size, "0"},
    SettingField{"Input", "RAW Image Width", T::Int, &S::raw_image_width, "0"},
    SettingField{"Input", "RAW Image Height", T::Int, &S::raw_image_height, "0"},
    SettingField{"Input", "RAW Tone Mapping", T::Int, &S::raw_tone_mapping, "2"},

    SettingField{"PhotoCD", "PhotoCD Highlights", T::Byte, &S::photocd_highlights, "0"},
    SettingField{"PhotoCD", "PhotoCD Color Space", T::Byte, &S::photocd_color_space, "0"},

    SettingField{"Output", "Format", T::String, &S::output_format, ""},
    SettingField{"Output", "BMP BPP", T::Int, &S::bmp_bpp, "0"},
    SettingField{"Output", "BMP Compression", T::Int, &S::bmp_compression, "0"},
    SettingField{"Output", "BMP Color Table", T::Int, &S::bmp_color_table, "0"},
    SettingField{"Output", "DDS BPP", T::Int, &S::dds_bpp, "0"},
    SettingField{"Output", "EXR BPP", T::Int, &S::exr_bpp, "0"},
    SettingField{"Output", "EXR Compression", T::Int, &S::exr_compression, "0"},
    SettingField{"Output", "GIF BPP", T::Int, &S::gif_bpp, "0"},
    SettingField{"Output", "HDR BPP", T::Int, &S::hdr_bpp, "0"},
    SettingField{"Output", "ICO BPP", T::Int, &S::ico_bpp, "0"},
    SettingField{"Output", "J2K BPP", T::Int, &S::j2k_bpp, "0"},
    SettingField{"Output", "JNG BPP", T::Int, &S::jng_bpp, "0"},
    SettingField{"Output", "JP2 BPP", T::Int, &S::jp2_bpp, "0"},
    SettingField{"Output", "JPG BPP", T::Int, &S::jpg_bpp, "0"},
    SettingField{"Output", "JPG Quality", T::Int, &S::jpg_quality, "95"},
    SettingField{"Output", "JPG Chroma", T::Int, &S::jpg_chroma, "0"},
    SettingField{"Output", "JPG Save As", T::Int, &S::jpg_save_as, "0"},
    SettingField{"Output", "JXR BPP", T::Int, &S::jxr_bpp, "0"},
    SettingField{"Output", "PBM BPP", T::Int, &S::pbm_bpp, "0"},
    SettingField{"Output", "PCX BPP", T::Int, &S::pcx_bpp, "0"},
    SettingField{"Output", "PFM BPP", T::Int, &S::pfm_bpp, "0"},
    SettingField{"Output", "PGM BPP", T::Int, &S::pgm_bpp, "0"},
    SettingField{"Output", "PNG BPP", T::Int, &S::png_bpp, "0"},
    SettingField{"Output", "PNG Compression", T::Int, &S::png_compression, "0"},
    SettingField{"Output", "PNG Interlaced", T::Flag, &S::png_interlaced, "0"},
    SettingField{"Output", "PPM BPP", T::Int, &S::ppm_bpp, "0"},
    SettingField{"Output", "PSD BPP", T::Int, &S::psd_bpp, "0"},
    SettingField{"Output", "TGA BPP", T::Int, &S::tga_bpp, "0"},
    SettingField{"Output", "TGA Compression", T::Int, &S::tga_compression, "0"},
    SettingField{"Output", "TIFF BPP", T::Int, &S::tiff_bpp, "0"},
    SettingField{"Output", "TIFF Compression", T::Int, &S::tiff_compression, "0"},
    SettingField{"Output", "TIFF Color Mode", T::Int, &S::tiff_color_mode, "0"},
    SettingField{"Output", "WBMP BPP", T::Int, &S::wbmp_bpp, "0"},
    SettingField{"Output", "WEBP BPP", T::Int, &S::webp_bpp, "0"},
    SettingField{"Output", "WEBP Quality", T::Int, &S::webp_quality, "100"},
    SettingField{"Output", "XPM BPP", T::Int, &S::xpm_bpp, "0"},

    SettingField{"Transform", "Do Image Rotation", T::Flag, &S::do_image_rotation, "0"},
    SettingField{"Transform", "Image Rotation Type", T::Byte, &S::image_rotation_type, "0"},
    SettingField{"Transform", "Image Rotation", T::Int, &S::image_rotation, "0"},
    SettingField{"Transform", "Image Rotation Back Color", T::String, &S::image_rotation_back_color,
                 "000000"},
    SettingField{"Transform", "Do Image Resize", T::Flag, &S::do_image_resize, "0"},
    SettingField{"Transform", "Image Width", T::Int, &S::image_width, "0"},
    SettingField{"Transform", "Image Width Unit", T::Byte, &S::image_width_unit, "0"},
    SettingField{"Transform", "Image Height", T::Int, &S::image_height, "0"},
    SettingField{"Transform", "Image Height Unit", T::Byte, &S::image_height_unit, "0"},
    SettingField{"Transform", "Keep Aspect Ratio", T::Flag, &S::keep_aspect_ratio, "1"},
    SettingField{"Transform", "Image Resize Type", T::Byte, &S::image_resize_type, "0"},
    SettingField{"Transform", "Image Resize Algorithm", T::Byte, &S::image_resize_algorithm, "3"},
    SettingField{"Transform", "Do Image Flip Horizontal", T::Flag, &S::do_image_flip_horizontal,
                 "0"},
    SettingField{"Transform", "Do Image Flip Vertical", T::Flag, &S::do_image_flip_vertical, "0"},

    SettingField{"Adjustment", "Do Image Color Correction", T::Flag, &S::do_image_color_correction,
                 "0"},
    SettingField{"Adjustment", "Image Brightness", T::Int, &S::image_brightness, "0"},
    SettingField{"Adjustment", "Image Contrast", T::Int, &S::image_contrast, "0"},
    SettingField{"Adjustment", "Image Gamma", T::Real, &S::image_gamma, "1.0"},
    SettingField{"Adjustment", "Image Invert", T::Flag, &S::image_invert, "0"},
    SettingField{"Adjustment", "Do Image Greyscale", T::Flag, &S::do_image_greyscale, "0"},
    SettingField{"Adjustment", "Do Image Threshold", T::Flag, &S::do_image_threshold, "0"},
    SettingField{"Adjustment", "Image Threshold", T::Int, &S::image_threshold, "0"},
    SettingField{"Adjustment", "Do Image Dither", T::Flag, &S::do_image_dither, "0"},
    SettingField{"Adjustment", "Image Dither Algorithm", T::Byte, &S::image_dither_algorithm, "0"},

    SettingField{"Frame", "Do Frame", T::Flag, &S::do_frame, "0"},
    SettingField{"Frame", "Solid Left", T::Int, &S::solid_left, "0"},
    SettingField{"Frame", "Solid Right", T::Int, &S::solid_right, "0"},
    SettingField{"Frame", "Solid Top", T::Int, &S::solid_top, "0"},
    SettingField{"Frame", "Solid Bottom", T::Int, &S::solid_bottom, "0"},
    SettingField{"Frame", "Solid Left Color", T::String, &S::solid_left_color, "000000"},
    SettingField{"Frame", "Solid Right Color", T::String, &S::solid_right_color, "000000"},
    SettingField{"Frame", "Solid Top Color", T::String, &S::solid_top_color, "000000"},
    SettingField{"Frame", "Solid Bottom Color", T::String, &S::solid_bottom_color, "000000"},
    SettingField{"Frame", "Solid Opacity", T::Int, &S::solid_opacity, "255"},

    SettingField{"Watermark", "Do Watermark", T::Flag, &S::do_watermark, "0"},
    SettingField{"Watermark", "Text", T::String, &S::text, kDefaultWatermarkText},
    SettingField{"Watermark", "Fonts", T::String, &S::fonts, "Arial,Tahoma,Verdana"},
    SettingField{"Watermark", "Font", T::String, &S::font, "Arial"},
    SettingField{"Watermark", "Font Size", T::Int, &S::font_size, "14"},
    SettingField{"Watermark", "Font Leading", T::Int, &S::font_leading, "0"},
    SettingField{"Watermark", "Font Colors", T::String, &S::font_colors, kDefaultPalette},
    SettingField{"Watermark", "Font Color", T::String, &S::font_color, "FFFFFF"},
    SettingField{"Watermark", "Font Style", T::Byte, &S::font_style, "0"},
    SettingField{"Watermark", "Font Effect", T::Byte, &S::font_effect, "0"},
    SettingField{"Watermark", "Text Antialiasing", T::Byte, &S::text_antialiasing, "0"},
    SettingField{"Watermark", "Text Alignment", T::Byte, &S::text_alignment, "0"},
    SettingField{"Watermark", "Text Padding", T::Int, &S::text_padding, "0"},
    SettingField{"Watermark", "Text Opacity", T::Int, &S::text_opacity, "255"},
    SettingField{"Watermark", "Back Colors", T::String, &S::back_colors, kDefaultPalette},
    SettingField{"Watermark", "Back Color", T::String, &S::back_color, "000000"},
    SettingField{"Watermark", "Back Opacity", T::Int, &S::back_opacity, "1"},
    SettingField{"Watermark", "Text Boundary", T::Byte, &S::text_boundary, "0"},
    SettingField{"Watermark", "Text Position", T::Byte, &S::text_position, "8"},
    SettingField{"Watermark", "Text X Offset", T::Int, &S::text_x_offset, "10"},
    SettingField{"Watermark", "Text Y Offset", T::Int, &S::text_y_offset, "10"},
    SettingField{"Watermark", "Text Rotation", T::Int, &S::text_rotation, "0"},
    SettingField{"Watermark", "Text Size", T::Byte, &S::text_size, "0"},
    SettingField{"Watermark", "Text Scale", T::Int, &S::text_scale, "10"},
    SettingField{"Watermark", "Image", T::String, &S::image, ""},
    SettingField{"Watermark", "Image Greyscale", T::Flag, &S::image_greyscale, "0"},
    SettingField{"Watermark", "Image Opacity", T::Int, &S::image_opacity, "255"},
    SettingField{"Watermark", "Image Boundary", T::Byte, &S::image_boundary, "0"},
    SettingField{"Watermark", "Image Position", T::Byte, &S::image_position, "8"},
    SettingField{"Watermark", "Image X Offset", T::Int, &S::image_x_offset, "10"},
    SettingField{"Watermark", "Image Y Offset", T::Int, &S::image_y_offset, "10"},
    SettingField{"Watermark", "Image Rotation", T::Int, &S::watermark_image_rotation, "0"},
    SettingField{"Watermark", "Image Size", T::Byte, &S::image_size, "0"},
    SettingField{"Watermark", "Image Scale", T::Int, &S::image_scale, "10"},

    SettingField{"Advanced", "Filename Mask", T::String, &S::filename_mask, "%filename%.%ext%"},
    SettingField{"Advanced", "File Timestamp", T::Byte, &S::file_timestamp, "0"},
    SettingField{"Advanced", "Custom Timestamp", T::Date, &S::custom_timestamp, "now"},
    SettingField{"Advanced", "Out Folders History", T::Flag, &S::out_folders_history, "1"},
    SettingField{"Advanced", "Out Folders Number", T::Byte, &S::out_folders_number, "5"},
    SettingField{"Advanced", "Keep Subfolders", T::Flag, &S::keep_subfolders, "1"},

    SettingField{"File", "CsvDelimiter", T::String, &S::csv_delimiter, ","},
    SettingField{"File", "Recent Out Folders", T::String, &S::recent_out_folders, ""},
    SettingField{"File", "Recent Files", T::String, &S::recent_files, ""},

    SettingField{"Privacy", "Clean Recent Files", T::Flag, &S::clean_recent_files, "0"},
};

int32_t current_date() { return static_cast<int32_t>(std::time(nullptr)); }

}  // namespace

std::span<const SettingField> setting_fields() { return kFields; }

const SettingField* find_setting(std::string_view group, std::string_view key) {
  for (const SettingField& field : kFields) {
    if (equals_ignore_case(field.group, group) && equals_ignore_case(field.key, key)) return &field;
  }
  return nullptr;
}

int32_t setting_int(const Settings& s, const SettingField& field) {
  if (auto* m = std::get_if<uint8_t Settings::*>(&field.member)) return s.**m;
  if (auto* m = std::get_if<int32_t Settings::*>(&field.member)) return s.**m;
  if (auto* m = std::get_if<float Settings::*>(&field.member)) return static_cast<int32_t>(s.**m);
  return 0;
}

void set_setting_int(Settings& s, const SettingField& field, int32_t value) {
  if (auto* m = std::get_if<uint8_t Settings::*>(&field.member)) {
    s.** m = static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu);
  } else if (auto* m32 = std::get_if<int32_t Settings::*>(&field.member)) {
    s.** m32 = value;
  } else if (auto* mf = std::get_if<float Settings::*>(&field.member)) {
    s.** mf = static_cast<float>(value);
  }
}

float setting_real(const Settings& s, const SettingField& field) {
  if (auto* m = std::get_if<float Settings::*>(&field.member)) return s.**m;
  return static_cast<float>(setting_int(s, field));
}

void set_setting_real(Settings& s, const SettingField& field, float value) {
  if (auto* m = std::get_if<float Settings::*>(&field.member)) s.** m = value;
}

const std::string& setting_text(const Settings& s, const SettingField& field) {
  static const std::string empty;
  if (auto* m = std::get_if<std::string Settings::*>(&field.member)) return s.**m;
  return empty;
}

void set_setting_text(Settings& s, const SettingField& field, std::string value) {
  if (auto* m = std::get_if<std::string Settings::*>(&field.member)) s.** m = std::move(value);
}

void reset_settings(Settings& s, bool command_line_mode) {
  const int32_t now = current_date();
  for (const SettingField& field : kFields) {
    switch (field.type) {
      case SettingType::String:
        set_setting_text(s, field, std::string(field.default_value));
        break;
      case SettingType::Real:
        set_setting_real(s, field, std::strtof(std::string(field.default_value).c_str(), nullptr));
        break;
      case SettingType::Date:
        set_setting_int(s, field, now);
        break;
      default:
        set_setting_int(s, field, std::atoi(std::string(field.default_value).c_str()));
        break;
    }
  }
  const DesktopSize desktop = primary_desktop_size();
  s.x = window_default_position(s.width, 100, desktop.width);
  s.y = window_default_position(s.height, 100, desktop.height);
  s.input_format = s.input_format_list.empty() ? std::string() : s.input_format_list.front();
  s.output_format = s.output_format_list.empty() ? std::string() : s.output_format_list.front();
  s.keep_aspect_ratio = command_line_mode ? 0 : 1;
}

int32_t window_default_position(int32_t size, int32_t fallback, int32_t desktop_extent) {
  if (desktop_extent > 0 && size < desktop_extent) return (desktop_extent - size) / 2;
  return fallback;
}

void reset_input_list_state(InputListState& state) {
  state = InputListState{};
  state.file_name = "untitled.qzl";
  state.random_number = random_between(1, 99999);
}

}  // namespace pixmera
