#include "photocd/plain_level.h"

#include <algorithm>

#include "photocd/image_pac_header.h"

namespace pixmera::photocd {

namespace {

std::size_t first_sector(Level level) {
  switch (level) {
    case Level::base_over_16:
      return 4;
    case Level::base_over_4:
      return 23;
    default:
      return 96;
  }
}

}  // namespace

std::optional<YccPlanes> read_plain_level(std::span<const std::uint8_t> file, Level level,
                                          std::string& why) {
  const Size size = stored_size(level);
  const auto width = static_cast<std::size_t>(size.width);
  const std::size_t offset = first_sector(level) * sector_bytes;
  const std::size_t length = width * static_cast<std::size_t>(size.height) * 3 / 2;
  if (file.size() < offset || file.size() - offset < length) {
    why = std::string(level_name(level)) + " needs bytes " + std::to_string(offset) + " to " +
          std::to_string(offset + length) + ", the file has " + std::to_string(file.size());
    return std::nullopt;
  }

  YccPlanes planes{Plane(size.width, size.height), Plane(size.width / 2, size.height / 2),
                   Plane(size.width / 2, size.height / 2)};
  const std::uint8_t* in = file.data() + offset;
  auto take = [&in](std::uint8_t* out, std::size_t count) {
    std::copy_n(in, count, out);
    in += count;
  };
  for (int pair = 0; pair < size.height / 2; ++pair) {
    take(planes.luma.row(2 * pair), width);
    take(planes.luma.row(2 * pair + 1), width);
    take(planes.chroma1.row(pair), width / 2);
    take(planes.chroma2.row(pair), width / 2);
  }
  return planes;
}

}  // namespace pixmera::photocd
