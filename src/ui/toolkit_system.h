// What each system's toolkit file (toolkit_gtk.cpp, toolkit_msw.cpp) gives
// the start-up they share in toolkit.cpp: the steps around wxWidgets' own
// start that only that system needs.
#pragma once

#include <string>

namespace pixmera::ui::system {

// Before wxWidgets starts (on Windows: the module wxMSW registers its
// window classes in).
void before_start();
// The reason the toolkit did not start, for the user's one line.
std::string why_not_started();
// After wxWidgets started (on Linux: GTK's settings the windows rely on).
void after_start();
// The screen's text resolution in dots per inch: 96 at 100 %.
double text_resolution();

}  // namespace pixmera::ui::system
