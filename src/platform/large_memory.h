// Blocks of memory for large buffers, backed by the kernel's large pages
// (2 MiB) where it allows them. A buffer that is filled once then costs one
// page fault per 2 MiB instead of one per 4 KiB; on virtual machines each
// fault is dear (some 2.5 microseconds here), and the PhotoCD converter
// fills some twenty megabytes of planes and file data per picture.
#pragma once

#include <cstddef>

namespace pixmera {

// At least `bytes` of zeroed memory starting on a large-page boundary, or
// nullptr when the system gives none.
void* map_large_block(std::size_t bytes);
// Returns a block from map_large_block() of that many bytes.
void unmap_large_block(void* block, std::size_t bytes);

}  // namespace pixmera
