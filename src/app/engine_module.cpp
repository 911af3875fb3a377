// The module's entry point. The module holds only the engine; the records,
// tables and services it uses are the executable's own, found when the
// module is loaded.
#include "app/engine_module.h"

#include "pipeline/driver.h"
#include "platform/libraries.h"

PIXMERA_MODULE_ENTRY int pixmera_engine_run_conversion_job(int quiet) {
  // libtiff arrived with the module: quieten it before the first picture.
  pixmera::quiet_library_warnings();
  return pixmera::run_conversion_job(quiet != 0);
}
