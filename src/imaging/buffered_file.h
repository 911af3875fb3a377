// Loading and saving pictures through FreeImage with a large stdio buffer and
// a position kept by hand. FreeImage's own file handling seeks before every
// TIFF strip, and each seek flushes stdio's buffer and asks the kernel for
// the file's size: about ten thousand system calls for a 16Base TIFF. Here a
// seek to where the file already stands costs nothing, and the data goes out
// in large writes.
#pragma once

#include <FreeImage.h>

#include <string>

namespace pixmera {

// FreeImage_Load through the buffer; nullptr when the file cannot be opened
// or FreeImage cannot read it.
FIBITMAP* load_buffered(FREE_IMAGE_FORMAT format, const std::string& path, int flags);

// FreeImage_Save through the buffer into `path`, which must exist and be
// empty (a freshly made temporary file). True only when FreeImage succeeded
// and every byte reached the file, the last buffer included: a full disk
// shows up at the final flush, not only in FreeImage's writes. On failure
// `error`, when given, receives the errno of the first write, flush or close
// that failed (0 when FreeImage gave up without one).
bool save_buffered(FREE_IMAGE_FORMAT format, FIBITMAP* picture, const std::string& path, int flags,
                   int* error = nullptr);

}  // namespace pixmera
