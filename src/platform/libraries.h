// Run-time library services: silencing chatty libraries and loading the
// window module, which the console face never loads.
#pragma once

#include <string>

namespace pixmera {

// Installs quiet error and warning handlers in libtiff (FreeImage's TIFF
// loader lets it print "unknown tag" warnings to standard error).
void quiet_library_warnings();

// Loads a shared library by absolute path and returns the address of
// `symbol` in it, or nullptr when the library or the symbol is missing.
void* load_library_symbol(const std::string& path, const std::string& symbol);

}  // namespace pixmera
