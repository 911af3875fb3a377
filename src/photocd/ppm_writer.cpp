#include "photocd/ppm_writer.h"

#include "photocd/orientation.h"

namespace pixmera::photocd {

std::string ppm48_header(int width, int height) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n65535\n";
}

bool write_ppm48(const Rgb48Image& image,
                 const std::function<bool(std::span<const std::uint8_t>)>& sink) {
  if (image.width <= 0 || image.height <= 0) return false;
  const std::string header = ppm48_header(image.width, image.height);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(header.data());
  if (!sink(std::span<const std::uint8_t>(bytes, header.size()))) return false;
  return sink(image.pixels);
}

bool write_ppm48(const YccPlanes& planes, int quarter_turns,
                 const std::function<bool(std::span<const std::uint8_t>)>& sink, int threads,
                 const ColourRendering* rendering) {
  const Size size = upright_size(planes, quarter_turns);
  if (size.width <= 0 || size.height <= 0) return false;
  const std::string header = ppm48_header(size.width, size.height);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(header.data());
  return sink(std::span<const std::uint8_t>(bytes, header.size())) &&
         hand_over_upright(planes, quarter_turns, {PixelForm::rgb48, rendering}, sink, threads);
}

}  // namespace pixmera::photocd
