#include "pipeline/window_job.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "imaging/watermark.h"
#include "imaging/watermark_font.h"
#include "pipeline/current_file.h"
#include "pipeline/driver.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "util/text.h"

namespace pixmera {

namespace {

std::thread g_worker;
std::atomic<bool> g_worker_done{false};
bool g_stop_asked = false;
bool g_font_prepared = false;

WindowCheck refuse(std::string key, std::string detail = {}) {
  return {false, std::move(key), std::move(detail)};
}

// "~/x" and relative folders are taken from the user's home folder: a
// window has no working folder the user would think of.
std::string absolute_folder(std::string folder) {
  folder = native_separators(std::move(folder));
  const std::string home = home_folder();
  if (folder == "~") {
    folder = home;
  } else if (folder.size() >= 2 && folder[0] == '~' && is_path_separator(folder[1])) {
    folder = home + folder.substr(2);
  } else if (!is_absolute_path(folder)) {
    if (folder.size() >= 2 && folder[0] == '.' && is_path_separator(folder[1])) folder.erase(0, 2);
    folder = home + folder;
  }
  return with_trailing_separator(std::move(folder));
}

}  // namespace

WindowCheck check_window_conversion(std::string& output_folder) {
  const Settings& s = g_settings;
  if (input_collection().empty()) return refuse("Empty input files");
  if (trim_blanks(output_folder).empty()) return refuse("Empty output folder");
  output_folder = absolute_folder(std::string(trim_blanks(output_folder)));
  if (!is_folder(output_folder) && !make_folders(output_folder)) {
    return refuse("Invalid output folder", output_folder);
  }
  if (s.do_image_resize != 0) {
    if (s.image_width == 0) return refuse("Invalid width");
    if (s.image_height == 0) return refuse("Invalid height");
  }
  // The dialog cannot store these out of range, but the configuration file
  // can be edited by hand; the console refuses the same values.
  if (s.do_image_color_correction != 0) {
    if (!brightness_in_range(s.image_brightness)) return refuse("Invalid brightness");
    if (!contrast_in_range(s.image_contrast)) return refuse("Invalid contrast");
    if (!gamma_in_range(s.image_gamma)) return refuse("Invalid gamma");
  }
  if (s.do_watermark == kTextWatermark) {
    if (!prepare_watermark_font()) return refuse("Invalid watermark font", s.font);
    g_font_prepared = true;
  } else if (s.do_watermark == kPictureWatermark) {
    if (s.image.empty()) return refuse("Empty watermark image");
    if (!load_watermark_picture(s.image)) return refuse("Invalid watermark image", s.image);
  }
  return {true, {}, {}};
}

void start_window_conversion(const std::string& output_folder, const std::string& conversion_type) {
  CurrentFile& file = g_current_file;
  file.console_mode = 0;
  file.output_folder = output_folder;
  file.conversion_type = conversion_type;
  file.input_type = g_settings.input_format.empty() ? "pcd" : g_settings.input_format;
  fill_job_values();
  {
    std::lock_guard lock(g_progress.mutex);
    g_progress.processed = 0;
    g_progress.current_file.clear();
    g_progress.last_duration_ms = 0;
    g_progress.converted = 0;
  }
  g_stop_asked = false;
  g_worker_done = false;
  g_progress.running = 1;
  g_worker = std::thread([] {
    conversion_worker();
    g_worker_done = true;
  });
}

bool window_conversion_finished() { return g_worker_done.load(); }

void stop_window_conversion() {
  g_stop_asked = true;
  g_progress.running = 0;
}

WindowRunResult finish_window_conversion() {
  if (g_worker.joinable()) g_worker.join();
  g_progress.running = 0;
  if (g_font_prepared) release_watermark_font();
  g_font_prepared = false;
  WindowRunResult result;
  result.total = static_cast<int32_t>(input_collection().size());
  {
    std::lock_guard lock(g_progress.mutex);
    result.processed = g_progress.processed;
    result.converted = g_progress.converted;
  }
  result.stopped = g_stop_asked && result.processed < result.total;
  return result;
}

}  // namespace pixmera
