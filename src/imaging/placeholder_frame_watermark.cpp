// PLACEHOLDER - frame and watermark move to files of their own.
#include "imaging/operations.h"
#include "imaging/watermark_font.h"
namespace pixmera {
Image frame(Image picture, int32_t, int32_t) { return picture; }
Image watermark(Image picture, int32_t, int32_t) { return picture; }
bool prepare_watermark_font() { return true; }
void release_watermark_font() {}
}  // namespace pixmera
