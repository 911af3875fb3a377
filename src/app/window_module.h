// The window module's entry points, as plain C types: the executable loads
// the window module (libpixmera_ui.so) only for the windowed face and
// reaches the window through this table.
#pragma once

namespace pixmera {

// The module's name without the system's prefix and suffix
// (platform/paths.h: module_file_name).
inline constexpr const char* kWindowModuleName = "pixmera_ui";
inline constexpr const char* kWindowEntryName = "pixmera_window_module";
inline constexpr int kWindowModuleVersion = 1;

struct WindowModule {
  int version;
  // Connects to the display and starts the toolkit. Returns 1 when the
  // window can be shown; otherwise 0 with the reason in `reason`.
  int (*open_display)(char* reason, int reason_size);
  // Runs one face until its window closes: "window" (the main window; the
  // argument holds the bare command-line words, separated by line feeds),
  // "uninstall" (the uninstall page) or "screenshot" (pictures of the
  // windows into the folder the argument names). Returns the exit status.
  // The main window records its geometry in the Settings record as it
  // closes.
  int (*run)(const char* mode, const char* argument);
  // Shuts the toolkit down again.
  void (*close_display)();
};

// The module's one exported function.
using WindowModuleEntry = const WindowModule* (*)();

}  // namespace pixmera
