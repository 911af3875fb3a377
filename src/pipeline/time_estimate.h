// The time estimate of the progress display: the mean time of the files a
// run has finished, times the files still to do.
#pragma once

#include <cstdint>
#include <string>

namespace pixmera {

struct RemainingTime {
  enum class Kind {
    AtStart,  // nothing has started yet: shown as 00:00:00
    Unknown,  // no file has finished yet
    Known,
  } kind = Kind::AtStart;
  int64_t seconds = 0;
};

// `processed` counts the files the worker has taken up, the current one
// included while `running`; `total` the files of the run.
RemainingTime estimate_remaining(int64_t elapsed_ms, int32_t processed, int32_t total,
                                 bool running);

// "HH:MM:SS"; hours go past 99 when they must.
std::string clock_text(int64_t seconds);

}  // namespace pixmera
