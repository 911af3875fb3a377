// windows.h before FreeImage.h, which otherwise defines BOOL and DWORD its
// own way.
#include <windows.h>
// After windows.h.
#include <tiffio.h>

#include "platform/picture_files.h"
#include "platform/win32_edge.h"

namespace pixmera {

FIBITMAP* load_picture_file(FREE_IMAGE_FORMAT format, const std::string& path, int flags) {
  return FreeImage_LoadU(format, utf16_text(path).c_str(), flags);
}

FREE_IMAGE_FORMAT picture_file_type(const std::string& path) {
  return FreeImage_GetFileTypeU(utf16_text(path).c_str(), 0);
}

TIFF* open_tiff_file(const std::string& path, const char* mode) {
  return TIFFOpenW(utf16_text(path).c_str(), mode);
}

}  // namespace pixmera
