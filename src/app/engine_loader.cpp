// The executable's side of the conversion engine. The engine (driver, image
// operations, drawing) links FreeImage, Cairo and Pango; mapping those at
// every start would make "pixmera -v" several times slower, so the
// executable loads the engine module only when a conversion job runs.
#include "app/engine_module.h"
#include "pipeline/driver.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/libraries.h"
#include "platform/paths.h"

namespace pixmera {

int run_conversion_job(bool quiet) {
  const std::string name = module_file_name(kEngineModuleName);
  std::string path = private_folder() + name;
  if (!file_exists(path)) path = program_folder() + name;
  auto entry = reinterpret_cast<EngineEntry>(load_library_symbol(path, kEngineEntryName));
  if (entry == nullptr) {
    console_print_line("Error: The conversion module cannot be loaded: " + last_library_error());
    return 1;
  }
  return entry(quiet ? 1 : 0);
}

}  // namespace pixmera
