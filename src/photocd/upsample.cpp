#include "photocd/upsample.h"

#include <algorithm>

#include "photocd/parallel.h"

namespace pixmera::photocd {

void widen_row(const std::uint8_t* source, int width, std::uint8_t* out) {
  for (int x = 0; x + 1 < width; ++x) {
    const unsigned left = source[x];
    const unsigned right = source[x + 1];
    out[2 * x] = static_cast<std::uint8_t>(left);
    out[2 * x + 1] = static_cast<std::uint8_t>((left + right + 1) >> 1);
  }
  out[2 * width - 2] = source[width - 1];
  out[2 * width - 1] = source[width - 1];
}

void blend_rows(const std::uint8_t* above, const std::uint8_t* below, int width,
                std::uint8_t* out) {
  for (int x = 0; x + 1 < width; ++x) {
    const unsigned left = above[x] + below[x];
    const unsigned right = above[x + 1] + below[x + 1];
    out[2 * x] = static_cast<std::uint8_t>((left + 1) >> 1);
    out[2 * x + 1] = static_cast<std::uint8_t>((left + right + 2) >> 2);
  }
  const auto last = static_cast<std::uint8_t>((above[width - 1] + below[width - 1] + 1) >> 1);
  out[2 * width - 2] = last;
  out[2 * width - 1] = last;
}

Plane upsample(const Plane& source, int threads) {
  Plane out(source.width * 2, source.height * 2);
  // Source row y makes output rows 2y and 2y + 1 and reads rows y and y + 1
  // only, so the pieces never touch each other's output.
  parallel_for(
      static_cast<std::size_t>(source.height),
      [&](std::size_t begin, std::size_t end) {
        for (auto y = static_cast<int>(begin); y < static_cast<int>(end); ++y) {
          widen_row(source.row(y), source.width, out.row(2 * y));
          if (y + 1 < source.height) {
            blend_rows(source.row(y), source.row(y + 1), source.width, out.row(2 * y + 1));
          }
        }
      },
      threads);
  const int last = out.height - 1;
  std::copy_n(out.row(last - 1), out.width, out.row(last));
  return out;
}

}  // namespace pixmera::photocd
