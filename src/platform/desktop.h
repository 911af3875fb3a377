// The size of the primary desktop. The console face never touches the
// display, so the size is unknown (0 x 0) until the window module, once
// loaded, reports it.
#pragma once

#include <cstdint>

namespace pixmera {

struct DesktopSize {
  int32_t width = 0;
  int32_t height = 0;
};

DesktopSize primary_desktop_size();
void set_primary_desktop_size(DesktopSize size);

}  // namespace pixmera
