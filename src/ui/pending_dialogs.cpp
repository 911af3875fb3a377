// The dialogs that are not built yet: each answers in the debug output.
#include "ui/dialogs.h"

namespace pixmera::ui {

bool show_preferences(wxWindow*, PreferencesPage) {
  debug_note("Preferences: not available yet");
  return false;
}

void show_custom_converter(wxWindow*) { debug_note("Custom converter: not available yet"); }

void show_about(wxWindow*) { debug_note("About: not available yet"); }

void open_manual(wxWindow*) { debug_note("Manual: not available yet"); }

void check_for_new_version(wxWindow*) { debug_note("Update check: not available yet"); }

}  // namespace pixmera::ui
