// Row-parallel work for the decoder: a range of indexes split into one
// contiguous piece per thread. Each index is handled by exactly one call, so
// work that writes only its own rows gives the same bytes whatever the
// thread count.
#pragma once

#include <cstddef>
#include <functional>

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

}  // namespace pixmera::photocd
