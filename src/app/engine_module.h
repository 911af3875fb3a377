// The conversion engine as a loadable module: its file name and entry point.
#pragma once

namespace pixmera {

inline constexpr const char* kEngineModuleName = "libpixmera_engine.so";
inline constexpr const char* kEngineEntryName = "pixmera_engine_run_conversion_job";

// Runs the console conversion job; returns its exit status.
using EngineEntry = int (*)(int quiet);

}  // namespace pixmera
