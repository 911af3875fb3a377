// The progress record of a conversion run. The worker writes it under the
// mutex; the console or the progress dialog reads it; clearing `running`
// asks the worker to stop after the current file.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace pixmera {

// A file the worker could not convert, and why: `reason` is the text the
// console prints after "pixmera: <file name>: ".
struct FileFailure {
  std::string path;
  std::string reason;
};

struct Progress {
  std::mutex mutex;
  int32_t processed = 0;
  std::string current_file;
  int64_t last_duration_ms = 0;
  int32_t converted = 0;
  std::vector<FileFailure> failures;  // in the order the files failed; cleared at each run's start
  std::atomic<uint8_t> running{0};
};

extern Progress g_progress;

}  // namespace pixmera
