#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace pixmera {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t whole_pages(std::size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

}  // namespace

void* map_large_block(std::size_t bytes) {
  const std::size_t length = whole_pages(bytes);
  if (length < bytes) return nullptr;
  // One large page more than needed, so a boundary lies inside; the ends
  // outside [start, start + length) are given back.
  void* raw = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto first = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = (first + kLargePage - 1) / kLargePage * kLargePage;
  const std::uintptr_t end = start + length;
  if (start > first) ::munmap(raw, start - first);
  if (first + length + kLargePage > end)
    ::munmap(reinterpret_cast<void*>(end), first + length + kLargePage - end);
  // Only advice: without large pages the block works the same.
  ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(start);
}

void unmap_large_block(void* block, std::size_t bytes) {
  if (block != nullptr) ::munmap(block, whole_pages(bytes));
}

}  // namespace pixmera
