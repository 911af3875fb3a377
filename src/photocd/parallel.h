// Row-parallel work for the decoder: a range of indexes split into one
// contiguous piece per thread. Each index is handled by exactly one call, so
// work that writes only its own rows gives the same bytes whatever the
// thread count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace pixmera::photocd {

// Threads the decoder uses: the machine's hardware threads, at most 8, or
// the positive number in the environment variable PIXMERA_THREADS (1 means
// everything runs on the calling thread). Read on every call, so a caller can
// change it between pictures.
int thread_count();

// Calls body(begin, end) for contiguous pieces that together cover [0, count)
// once, on up to `threads` threads (the calling thread takes the first
// piece) and returns when all are done. An exception thrown by a piece is
// passed on to the caller after every thread has ended; the first in index
// order wins.
void parallel_for(std::size_t count, const std::function<void(std::size_t, std::size_t)>& body,
                  int threads = thread_count());

// Makes `count` items in bands of `band` items and hands the bands over in
// order: produce(begin, end, out) fills `out` with items [begin, end),
// `item_bytes` each, on up to `threads` threads, while the calling thread
// passes each finished band to consume() (a file write, say), so producing
// the next bands overlaps consuming this one. Returns false as soon as
// consume() does, after the producers have stopped. An exception from either
// side reaches the caller after every thread has ended. With one thread
// everything runs on the calling thread, band after band.
bool ordered_bands(std::size_t count, std::size_t band, std::size_t item_bytes,
                   const std::function<void(std::size_t, std::size_t, std::uint8_t*)>& produce,
                   const std::function<bool(std::span<const std::uint8_t>)>& consume,
                   int threads = thread_count());

}  // namespace pixmera::photocd
