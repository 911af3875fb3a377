#include "photocd/parallel.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace pixmera::photocd {

namespace {

constexpr int default_thread_limit = 8;
// An explicit setting is believed up to this; beyond it a typing slip would
// only start idle threads.
constexpr int explicit_thread_limit = 256;

}  // namespace

int thread_count() {
  if (const char* text = std::getenv("PIXMERA_THREADS"); text != nullptr && *text != '\0') {
    const std::string_view digits(text);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size() && value > 0) {
      return std::min(value, explicit_thread_limit);
    }
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : static_cast<int>(std::min<unsigned>(hardware, default_thread_limit));
}

void parallel_for(std::size_t count, const std::function<void(std::size_t, std::size_t)>& body,
                  int threads) {
  if (count == 0) return;
  const std::size_t pieces =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, count);
  if (pieces == 1) {
    body(0, count);
    return;
  }

  // Piece i covers [count * i / pieces, count * (i + 1) / pieces).
  auto piece_begin = [count, pieces](std::size_t i) {
    return count / pieces * i + count % pieces * i / pieces;
  };
  std::vector<std::exception_ptr> errors(pieces);
  auto run_piece = [&](std::size_t i) {
    try {
      body(piece_begin(i), piece_begin(i + 1));
    } catch (...) {
      errors[i] = std::current_exception();
    }
  };
  std::vector<std::thread> workers;
  workers.reserve(pieces - 1);
  std::size_t started = 1;
  try {
    for (; started < pieces; ++started) workers.emplace_back(run_piece, started);
  } catch (const std::system_error&) {
    // No more threads to be had: the calling thread does the rest.
  }
  for (std::size_t i = started; i < pieces; ++i) run_piece(i);
  run_piece(0);
  for (std::thread& worker : workers) worker.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
}

}  // namespace pixmera::photocd
