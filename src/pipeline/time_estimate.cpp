#include "pipeline/time_estimate.h"

#include <algorithm>
#include <cstdio>

namespace pixmera {

RemainingTime estimate_remaining(int64_t elapsed_ms, int32_t processed, int32_t total,
                                 bool running) {
  if (processed <= 0) return {};
  const int64_t finished = running ? processed - 1 : processed;
  if (finished <= 0) return {RemainingTime::Kind::Unknown, 0};
  const int64_t left = std::max<int64_t>(0, total - finished);
  // Rounded up, so the estimate reaches 00:00:00 only when nothing is left.
  const int64_t remaining_ms = std::max<int64_t>(0, elapsed_ms) * left / finished;
  return {RemainingTime::Kind::Known, (remaining_ms + 999) / 1000};
}

std::string clock_text(int64_t seconds) {
  seconds = std::max<int64_t>(0, seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

}  // namespace pixmera
