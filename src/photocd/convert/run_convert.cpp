#include "photocd/convert/run_convert.h"

#include <optional>
#include <utility>

#include "photocd/convert/command_line.h"
#include "photocd/convert/extension_files.h"
#include "photocd/convert/file_io.h"
#include "photocd/decoder.h"
#include "photocd/image_pac_header.h"
#include "photocd/pfm_writer.h"
#include "photocd/ppm_writer.h"
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

  const Level level = level_for_index(request->index);
  auto refuse = [&](const std::string& why) {
    message = request->input_path + ": " + std::string(level_name(level)) + ": " + why;
    return convert_exit_failure;
  };

  // The header alone settles the requests that cannot succeed (not an Image
  // Pac, a level the file does not hold, 64Base without the extension bit),
  // and a look for INFO.IC settles 64Base without its extension. The
  // conversion step asks for 64Base first on every file, so this keeps its
  // first try from reading megabytes for nothing.
  const auto head = read_file_head(request->input_path, image_pac_header_bytes, message);
  if (!head) return convert_exit_failure;
  std::string why;
  const auto header = read_image_pac_header(*head, why);
  if (!header || check_level_request(*header, level, why) != DecodeFailure::none) {
    return refuse(why);
  }
  std::optional<ExtensionFolder> extension_folder;
  if (level == Level::sixty_four_base) {
    extension_folder = find_extension_folder(request->input_path, why);
    if (!extension_folder) return refuse(why);
  }

  // The files are released once the planes are decoded: with 64Base they
  // come to some 40 MB beside the 38 MB of planes.
  DecodedPlanes planes;
  {
    const auto file = read_whole_file(request->input_path, max_input_bytes, message);
    if (!file) return convert_exit_failure;
    std::optional<LoadedExtension> extension;
    if (extension_folder) {
      extension = load_extension(*extension_folder, why);
      if (!extension) return refuse(why);
    }
    planes = decode_image_pac_planes(*file, level, extension ? &extension->data : nullptr);
  }
  // The picture is converted and turned band by band as it is written, so
  // it is never held whole beside the planes.
  if (!planes) return refuse(planes.why);
  // Floating-point samples are not clipped, so the highlight choice only
  // counts at 8 and 16 bits.
  const ColourRendering rendering(request->colour, !request->float_samples);
  const bool written = write_file_atomically(
      request->output_path,
      [&](const ByteSink& sink) {
        const int threads = thread_count();
        if (request->float_samples) {
          return write_pfm(planes.planes, planes.quarter_turns, sink, threads, &rendering);
        }
        if (request->sixteen_bits) {
          return write_ppm48(planes.planes, planes.quarter_turns, sink, threads, &rendering);
        }
        return write_tga(planes.planes, planes.quarter_turns, sink, threads, &rendering);
      },
      message);
  return written ? convert_exit_success : convert_exit_failure;
}

}  // namespace pixmera::photocd
