#include "photocd/convert/run_convert.h"

#include "photocd/convert/command_line.h"
#include "photocd/convert/file_io.h"
#include "photocd/decoder.h"
#include "photocd/tga_writer.h"

namespace pixmera::photocd {

namespace {

// An Image Pac with every level up to 16Base stays well below this even with
// the longest codes; anything larger is not one, and is not read into memory.
constexpr std::size_t max_input_bytes = std::size_t{64} << 20;

}  // namespace

int run_convert(std::span<const std::string_view> arguments, std::string& message) {
  const auto request = parse_convert_arguments(arguments);
  if (!request) {
    message = std::string(convert_usage);
    return convert_exit_usage;
  }

  const auto file = read_whole_file(request->input_path, max_input_bytes, message);
  if (!file) return convert_exit_failure;

  const Level level = level_for_index(request->index);
  const DecodeResult decoded = decode_image_pac(*file, level, ChannelOrder::bgr);
  if (!decoded) {
    message = request->input_path + ": " + std::string(level_name(level)) + ": " + decoded.why;
    return convert_exit_failure;
  }

  const bool written = write_file_atomically(
      request->output_path,
      [&decoded](const ByteSink& sink) { return write_tga(decoded.image, sink); }, message);
  return written ? convert_exit_success : convert_exit_failure;
}

}  // namespace pixmera::photocd
