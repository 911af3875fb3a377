#include <tiffio.h>

#include "platform/picture_files.h"

namespace pixmera {

FIBITMAP* load_picture_file(FREE_IMAGE_FORMAT format, const std::string& path, int flags) {
  return FreeImage_Load(format, path.c_str(), flags);
}

FREE_IMAGE_FORMAT picture_file_type(const std::string& path) {
  return FreeImage_GetFileType(path.c_str(), 0);
}

TIFF* open_tiff_file(const std::string& path, const char* mode) {
  return TIFFOpen(path.c_str(), mode);
}

}  // namespace pixmera
