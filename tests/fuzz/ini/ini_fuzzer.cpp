// Any bytes as a configuration file and as a profile. Besides not crashing,
// what the loader takes from them must survive a save and a second load
// unchanged: the file the second load reads is one the program wrote itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/options.h"
#include "settings/config_file.h"
#include "settings/ini_file.h"

namespace {

// Every format, so that every setting is written and read back.
void list_every_format(pixmera::Settings& settings) {
  settings.input_format_list = {"dds", "gif", "ico", "psd", "raw", "tiff"};
  settings.output_format_list = {"bmp", "dds", "exr", "gif",  "hdr",  "ico",  "j2k", "jng",
                                 "jp2", "jpg", "jxr", "pbm",  "pcx",  "pfm",  "pgm", "png",
                                 "ppm", "psd", "tga", "tiff", "wbmp", "webp", "xpm"};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pixmera;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniDocument document = parse_ini(bytes);

  Settings loaded;
  list_every_format(loaded);
  read_configuration(document, loaded);
  const std::string written = configuration_text(loaded);

  Settings reloaded;
  list_every_format(reloaded);
  read_configuration(parse_ini(written), reloaded);
  if (configuration_text(reloaded) != written) std::abort();

  Settings profiled;
  reset_settings(profiled, true);
  apply_profile_document(document, profiled);
  return 0;
}
