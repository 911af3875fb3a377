// Run-time library services: silencing chatty libraries and loading the
// program's modules (the conversion engine and the window), which the
// executable maps only when it needs them.
#pragma once

#include <string>

// Marks a loadable module's entry point, the one name it makes visible.
#ifdef _WIN32
#define PIXMERA_MODULE_ENTRY extern "C" __declspec(dllexport)
#else
#define PIXMERA_MODULE_ENTRY extern "C" __attribute__((visibility("default")))
#endif

namespace pixmera {

// Installs quiet error and warning handlers in libtiff (FreeImage's TIFF
// loader lets it print "unknown tag" warnings to standard error).
void quiet_library_warnings();

// Loads a shared library by absolute path and returns the address of
// `symbol` in it, or nullptr when the library or the symbol is missing.
// On Linux the library's own dependencies join the global scope, so the
// libraries it brings (libtiff with FreeImage) can be reached afterwards; on
// Windows they are found in the library's own folder.
void* load_library_symbol(const std::string& path, const std::string& symbol);

// The text of the last loading failure, for the debug output.
std::string last_library_error();

}  // namespace pixmera
