// The converter's large blocks on Windows (platform/large_memory.h), built
// into convert.exe only: the program's own allocator (large_allocations.cpp)
// gives each block of 2 MiB or more a mapping of its own. Large pages need
// the "lock pages in memory" privilege, which few accounts hold; the first
// refusal is remembered, and blocks come in ordinary pages from then on.
#ifndef NOMINMAX  // libstdc++ defines it on mingw
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

#include "platform/large_memory.h"

namespace pixmera {

namespace {

std::atomic<bool> large_pages_refused{false};

}  // namespace

void* map_large_block(std::size_t bytes) {
  if (!large_pages_refused.load(std::memory_order_relaxed)) {
    const std::size_t page = GetLargePageMinimum();
    const std::size_t length = page == 0 ? 0 : (bytes + page - 1) / page * page;
    void* block = length < bytes
                      ? nullptr
                      : VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES,
                                     PAGE_READWRITE);
    if (block != nullptr) return block;
    large_pages_refused.store(true, std::memory_order_relaxed);
  }
  // Committed pages read as zero, as the header promises.
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void unmap_large_block(void* block, std::size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace pixmera
