// Feeds arbitrary parameter lists to the command-line walk: the bytes are
// split at NUL into parameters. The conversion job is not run.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (pixmera::prepare_command_line_mode(), true);
  (void)prepared;
  std::vector<std::string> parameters(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      parameters.emplace_back();
    } else {
      parameters.back().push_back(static_cast<char>(data[i]));
    }
  }
  pixmera::reset_settings(pixmera::g_settings, true);
  pixmera::parse_parameters(parameters);
  for (const std::string& parameter : parameters) {
    pixmera::option_name(parameter);
    pixmera::option_value(parameter);
  }
  return 0;
}
