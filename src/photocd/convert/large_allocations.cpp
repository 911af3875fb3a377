// The converter's allocations: a block of 2 MiB or more gets a mapping of
// its own in large pages (platform/large_memory.h), everything else comes
// from malloc. The converter's big buffers (the Image Pac, the planes of
// each level, the bands being written) are made once and filled once, so
// their page faults were a good part of a 16Base conversion. The sanitizer
// build keeps the allocator the sanitizer brings.
#if !defined(__SANITIZE_ADDRESS__)

#include <cstdlib>
#include <new>

#include "platform/large_memory.h"

namespace {

constexpr std::size_t kOwnMapping = std::size_t{2} << 20;

// In front of every block: how it was made. Sixteen bytes keep the block
// aligned as malloc's own.
struct alignas(16) BlockHeader {
  std::size_t mapped_bytes;  // 0 for malloc
};

void* allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  const std::size_t total = bytes + sizeof(BlockHeader);
  if (total < bytes) return nullptr;
  if (bytes >= kOwnMapping) {
    if (void* block = pixmera::map_large_block(total)) {
      auto* header = static_cast<BlockHeader*>(block);
      header->mapped_bytes = total;
      return header + 1;
    }
  }
  auto* header = static_cast<BlockHeader*>(std::malloc(total));
  if (header == nullptr) return nullptr;
  header->mapped_bytes = 0;
  return header + 1;
}

void release(void* pointer) noexcept {
  if (pointer == nullptr) return;
  BlockHeader* header = static_cast<BlockHeader*>(pointer) - 1;
  if (header->mapped_bytes != 0) {
    pixmera::unmap_large_block(header, header->mapped_bytes);
  } else {
    std::free(header);
  }
}

void* allocate_or_throw(std::size_t bytes) {
  if (void* pointer = allocate(bytes)) return pointer;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate_or_throw(bytes); }
void* operator new[](std::size_t bytes) { return allocate_or_throw(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return allocate(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return allocate(bytes); }
void operator delete(void* pointer) noexcept { release(pointer); }
void operator delete[](void* pointer) noexcept { release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { release(pointer); }

#endif
