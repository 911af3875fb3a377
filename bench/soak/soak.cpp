// A long run of the conversion worker, started and finished the way the
// window does it (pipeline/window_job.h), watched from outside the worker
// the way the progress dialog watches it, for the soak run
// (bench/soak/run.sh):
//
//   pixmera_bench_soak OUTPUT_FOLDER INPUT_FOLDER
//
// Every file below INPUT_FOLDER is converted to TIFF with the window's
// default settings and "Keep Subfolders" on (a disc tree holds the same
// names in many folders). While the run goes on, the process's resident
// memory, open file descriptors and threads are read every few
// milliseconds; after each 50 files one line gives the highest of each in
// those 50:
//
//   files 50 rss_kib 181234 fds 9 threads 4
//
// and at the end "converted N of M in S s". Exits 0 when every file was
// converted; the script judges the figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "pipeline/current_file.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "pipeline/window_job.h"
#include "settings/catalogue.h"
#include "settings/settings.h"

namespace {

struct Usage {
  long rss_kib = 0;
  long fds = 0;
  long threads = 0;
};

long status_field(const std::string& status, const std::string& name) {
  const size_t at = status.find("\n" + name + ":");
  return at == std::string::npos ? -1 : std::stol(status.substr(at + name.size() + 2));
}

Usage read_usage() {
  std::ifstream in("/proc/self/status");
  const std::string status = "\n" + std::string(std::istreambuf_iterator<char>(in), {});
  Usage usage;
  usage.rss_kib = status_field(status, "VmRSS");
  usage.threads = status_field(status, "Threads");
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
       it.increment(ec)) {
    ++usage.fds;
  }
  --usage.fds;  // the iterator's own
  return usage;
}

void keep_highest(Usage& highest, const Usage& now) {
  highest.rss_kib = std::max(highest.rss_kib, now.rss_kib);
  highest.fds = std::max(highest.fds, now.fds);
  highest.threads = std::max(highest.threads, now.threads);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pixmera;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER INPUT_FOLDER\n", argv[0]);
    return 2;
  }
  build_input_format_table();
  build_output_format_table();
  build_catalogue();
  reset_settings(g_settings, false);
  g_settings.input_format_list = {"pcd"};
  g_settings.output_format_list = {"tiff"};
  g_settings.keep_subfolders = 1;
  clear_input_collection();
  add_input_path(argv[2]);

  std::string folder = argv[1];
  const WindowCheck check = check_window_conversion(folder);
  if (!check.passed) {
    std::fprintf(stderr, "refused: %s %s\n", check.message_key.c_str(), check.detail.c_str());
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  start_window_conversion(folder, "tiff");
  // The processed count names the file under way, so 50 files are done when
  // it passes 51 (or the run ends).
  constexpr int32_t kEvery = 50;
  int32_t next_line = kEvery;
  Usage highest;
  const auto report = [&highest](int32_t files) {
    std::printf("files %d rss_kib %ld fds %ld threads %ld\n", files, highest.rss_kib, highest.fds,
                highest.threads);
    std::fflush(stdout);
    highest = Usage{};
  };
  while (!window_conversion_finished()) {
    keep_highest(highest, read_usage());
    int32_t processed = 0;
    {
      std::lock_guard lock(g_progress.mutex);
      processed = g_progress.processed;
    }
    if (processed > next_line) {
      report(next_line);
      next_line += kEvery;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const WindowRunResult run = finish_window_conversion();
  if (run.processed >= next_line) report(next_line);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("converted %d of %d in %.1f s\n", run.converted, run.total, seconds);
  {
    std::lock_guard lock(g_progress.mutex);
    for (const FileFailure& failure : g_progress.failures) {
      std::printf("failed %s: %s\n", failure.path.c_str(), failure.reason.c_str());
    }
  }
  return run.converted == run.total ? 0 : 1;
}
