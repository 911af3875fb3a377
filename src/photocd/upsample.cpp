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

namespace {

// Source row y makes output rows 2y and 2y + 1 and reads rows y and y + 1
// only, so rows made on different threads never touch each other's output.
void upsample_rows(const Plane& source, int begin, int end, Plane& out) {
  for (int y = begin; y < end; ++y) {
    widen_row(source.row(y), source.width, out.row(2 * y));
    if (y + 1 < source.height) {
      blend_rows(source.row(y), source.row(y + 1), source.width, out.row(2 * y + 1));
    } else {
      widen_row(source.row(y), source.width, out.row(2 * y + 1));
    }
  }
}

}  // namespace

Plane upsample(const Plane& source, int threads) {
  Plane out(source.width * 2, source.height * 2);
  parallel_for(
      static_cast<std::size_t>(source.height),
      [&](std::size_t begin, std::size_t end) {
        upsample_rows(source, static_cast<int>(begin), static_cast<int>(end), out);
      },
      threads);
  return out;
}

YccPlanes upsample(const YccPlanes& source, int threads) {
  const Plane* from[3] = {&source.luma, &source.chroma1, &source.chroma2};
  YccPlanes result{Plane(source.luma.width * 2, source.luma.height * 2),
                   Plane(source.chroma1.width * 2, source.chroma1.height * 2),
                   Plane(source.chroma2.width * 2, source.chroma2.height * 2)};
  Plane* to[3] = {&result.luma, &result.chroma1, &result.chroma2};
  // One index per source row of the three planes, luma's first.
  const int rows[3] = {source.luma.height, source.chroma1.height, source.chroma2.height};
  parallel_for(
      static_cast<std::size_t>(rows[0] + rows[1] + rows[2]),
      [&](std::size_t begin, std::size_t end) {
        int first = 0;
        for (int p = 0; p < 3; ++p) {
          const int b = std::clamp(static_cast<int>(begin) - first, 0, rows[p]);
          const int e = std::clamp(static_cast<int>(end) - first, 0, rows[p]);
          if (b < e) upsample_rows(*from[p], b, e, *to[p]);
          first += rows[p];
        }
      },
      threads);
  return result;
}

}  // namespace pixmera::photocd
