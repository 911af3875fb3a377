// The conversion engine as a loadable module: its file name and entry point.
#pragma once

namespace pixmera {

// Without the system's prefix and suffix (platform/paths.h: module_file_name):
// libpixmera_engine.so, pixmera_engine.dll.
inline constexpr const char* kEngineModuleName = "pixmera_engine";
inline constexpr const char* kEngineEntryName = "pixmera_engine_run_conversion_job";

// Runs the console conversion job; returns its exit status.
using EngineEntry = int (*)(int quiet);

}  // namespace pixmera
