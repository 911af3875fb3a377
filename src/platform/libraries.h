// Run-time library services: silencing chatty libraries and loading the
// program's modules (the conversion engine and the window), which the
// executable maps only when it needs them.
#pragma once

#include <string>

namespace pixmera {

// Installs quiet error and warning handlers in libtiff (FreeImage's TIFF
// loader lets it print "unknown tag" warnings to standard error).
void quiet_library_warnings();

// Loads a shared library by absolute path and returns the address of
// `symbol` in it, or nullptr when the library or the symbol is missing.
// The library's own dependencies join the global scope, so the libraries
// it brings (libtiff with FreeImage) can be reached afterwards.
void* load_library_symbol(const std::string& path, const std::string& symbol);

// The text of the last loading failure, for the debug output.
std::string last_library_error();

}  // namespace pixmera
