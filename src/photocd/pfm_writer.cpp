#include "photocd/pfm_writer.h"

#include <bit>

#include "photocd/orientation.h"

namespace pixmera::photocd {

std::string pfm_header(int width, int height) {
  // The sign of the scale gives the samples' byte order: negative for
  // little-endian ones. The samples are the machine's own floats.
  const char* scale = std::endian::native == std::endian::little ? "-1.0" : "1.0";
  return "PF\n" + std::to_string(width) + " " + std::to_string(height) + "\n" + scale + "\n";
}

bool write_pfm(const YccPlanes& planes, int quarter_turns,
               const std::function<bool(std::span<const std::uint8_t>)>& sink, int threads,
               const ColourRendering* rendering) {
  const Size size = upright_size(planes, quarter_turns);
  if (size.width <= 0 || size.height <= 0) return false;
  const std::string header = pfm_header(size.width, size.height);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(header.data());
  return sink(std::span<const std::uint8_t>(bytes, header.size())) &&
         hand_over_upright(planes, quarter_turns, {PixelForm::rgb96f, rendering, true}, sink,
                           threads);
}

}  // namespace pixmera::photocd
