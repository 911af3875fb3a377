// Run-time libraries on Windows: LoadLibraryExW by UTF-16 path, the
// module's own folder searched for the DLLs it needs, as dlopen finds them
// through the module's run path on Linux.
#include <windows.h>

#include <cstdarg>

#include "platform/libraries.h"
#include "platform/win32_edge.h"

namespace pixmera {

namespace {

using TiffHandler = void (*)(const char*, const char*, va_list);
using SetTiffHandler = TiffHandler (*)(TiffHandler);

void ignore_tiff_message(const char*, const char*, va_list) {}

thread_local std::string g_last_error;

void remember_last_error(const std::string& what) {
  const DWORD code = ::GetLastError();
  wchar_t* text = nullptr;
  ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = text != nullptr ? utf8_text(text) : std::string();
  ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  g_last_error = what + ": " + (message.empty() ? "error " + std::to_string(code) : message);
}

}  // namespace

void quiet_library_warnings() {
  // libtiff arrives with FreeImage and the engine; until then there is
  // nothing to quieten.
  const HMODULE tiff = ::GetModuleHandleW(L"libtiff.dll");
  if (tiff == nullptr) return;
  for (const char* name : {"TIFFSetWarningHandler", "TIFFSetErrorHandler"}) {
    if (FARPROC symbol = ::GetProcAddress(tiff, name)) {
      reinterpret_cast<SetTiffHandler>(reinterpret_cast<void*>(symbol))(&ignore_tiff_message);
    }
  }
}

void* load_library_symbol(const std::string& path, const std::string& symbol) {
  const HMODULE library =
      ::LoadLibraryExW(utf16_text(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) {
    remember_last_error(path);
    return nullptr;
  }
  FARPROC address = ::GetProcAddress(library, symbol.c_str());
  if (address == nullptr) {
    remember_last_error(symbol);
    return nullptr;
  }
  return reinterpret_cast<void*>(address);
}

std::string last_library_error() { return g_last_error; }

}  // namespace pixmera
