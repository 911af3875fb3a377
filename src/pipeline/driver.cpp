// PLACEHOLDER - replaced by the conversion driver.
#include "pipeline/driver.h"
namespace pixmera {
int run_conversion_job(bool) { return 1; }
int conversion_worker() { return 0; }
}  // namespace pixmera
