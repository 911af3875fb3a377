// Picture files opened by the image libraries themselves, by UTF-8 path:
// FreeImage's U functions and libtiff's TIFFOpenW take UTF-16 on Windows,
// where the narrow ones would read the path in the ANSI code page. Part of
// the engine, which links these libraries.
#pragma once

#include <FreeImage.h>

#include <string>

typedef struct tiff TIFF;

namespace pixmera {

// FreeImage_Load; nullptr when the file cannot be opened or read.
FIBITMAP* load_picture_file(FREE_IMAGE_FORMAT format, const std::string& path, int flags);
// FreeImage_GetFileType: the format its signature shows, FIF_UNKNOWN when none.
FREE_IMAGE_FORMAT picture_file_type(const std::string& path);
// TIFFOpen; nullptr when it fails.
TIFF* open_tiff_file(const std::string& path, const char* mode);

}  // namespace pixmera
