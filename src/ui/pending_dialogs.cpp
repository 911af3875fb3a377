// The dialogs that are not built yet: each answers in the debug output.
#include "ui/dialogs.h"

namespace pixmera::ui {

void open_manual(wxWindow*) { debug_note("Manual: not available yet"); }

void check_for_new_version(wxWindow*) { debug_note("Update check: not available yet"); }

}  // namespace pixmera::ui
