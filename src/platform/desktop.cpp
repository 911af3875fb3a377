#include "platform/desktop.h"

namespace pixmera {

namespace {
DesktopSize g_desktop;
}

DesktopSize primary_desktop_size() { return g_desktop; }
void set_primary_desktop_size(DesktopSize size) { g_desktop = size; }

}  // namespace pixmera
