// The conversion worker over a list of files, started and finished the way
// the window starts and finishes it (pipeline/window_job.h), for the batch
// benchmark (bench/conversion/speed.py):
//
//   pixmera_bench_batch OUTPUT_FOLDER FILE...
//
// Settings are the defaults, as on a first start of the window; the output
// is TIFF. Prints "converted N of M" and exits 0 when every file was
// converted, 1 otherwise.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/window_job.h"
#include "settings/catalogue.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
  using namespace pixmera;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER FILE...\n", argv[0]);
    return 2;
  }
  build_input_format_table();
  build_output_format_table();
  build_catalogue();
  reset_settings(g_settings, false);
  g_settings.input_format_list = {"pcd"};
  g_settings.output_format_list = {"tiff"};
  clear_input_collection();
  for (int i = 2; i < argc; ++i) add_input_file(argv[i]);

  std::string folder = argv[1];
  const WindowCheck check = check_window_conversion(folder);
  if (!check.passed) {
    std::fprintf(stderr, "refused: %s %s\n", check.message_key.c_str(), check.detail.c_str());
    return 2;
  }
  start_window_conversion(folder, "tiff");
  // The window polls; a short sleep stands for its timer.
  while (!window_conversion_finished()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  const WindowRunResult run = finish_window_conversion();
  std::printf("converted %d of %d\n", run.converted, run.total);
  return run.converted == run.total ? 0 : 1;
}
