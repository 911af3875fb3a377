// Flip: mirrors the picture in place, left-right and then top-bottom; with
// both on the picture is turned half way round.
#include "imaging/operations.h"
#include "settings/settings.h"

namespace pixmera {

void flip(const Image& picture) {
  if (!picture) return;
  // Both FreeImage flips accept every bitmap type and depth; they fail only
  // on a picture without pixels, which is then left as it is.
  if (g_settings.do_image_flip_horizontal != 0) FreeImage_FlipHorizontal(picture.get());
  if (g_settings.do_image_flip_vertical != 0) FreeImage_FlipVertical(picture.get());
}

}  // namespace pixmera
