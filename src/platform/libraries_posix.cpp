#include <dlfcn.h>

#include <cstdarg>

#include "platform/libraries.h"

namespace pixmera {

namespace {
using TiffHandler = void (*)(const char*, const char*, va_list);
using SetTiffHandler = TiffHandler (*)(TiffHandler);

void ignore_tiff_message(const char*, const char*, va_list) {}
}  // namespace

void quiet_library_warnings() {
  // libtiff arrives with FreeImage; it is looked up rather than linked so the
  // program does not depend on its headers.
  for (const char* name : {"TIFFSetWarningHandler", "TIFFSetErrorHandler"}) {
    if (void* symbol = ::dlsym(RTLD_DEFAULT, name)) {
      reinterpret_cast<SetTiffHandler>(symbol)(&ignore_tiff_message);
    }
  }
}

void* load_library_symbol(const std::string& path, const std::string& symbol) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (library == nullptr) return nullptr;
  return ::dlsym(library, symbol.c_str());
}

std::string last_library_error() {
  const char* error = ::dlerror();
  return error != nullptr ? error : "";
}

}  // namespace pixmera
