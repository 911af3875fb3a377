#include "pipeline/current_file.h"
#include "pipeline/progress.h"

namespace pixmera {

CurrentFile g_current_file;
Progress g_progress;

}  // namespace pixmera
