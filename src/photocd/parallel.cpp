#include "photocd/parallel.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
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

bool ordered_bands(std::size_t count, std::size_t band, std::size_t item_bytes,
                   const std::function<void(std::size_t, std::size_t, std::uint8_t*)>& produce,
                   const std::function<bool(std::span<const std::uint8_t>)>& consume, int threads) {
  band = std::max<std::size_t>(band, 1);
  const std::size_t bands = (count + band - 1) / band;
  const auto band_end = [&](std::size_t b) { return std::min(count, (b + 1) * band); };
  const auto band_bytes = [&](std::size_t b) { return (band_end(b) - b * band) * item_bytes; };
  const std::size_t producers =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, bands);
  if (producers <= 1 || bands <= 1) {
    std::vector<std::uint8_t> buffer(band * item_bytes);
    for (std::size_t b = 0; b < bands; ++b) {
      produce(b * band, band_end(b), buffer.data());
      if (!consume(std::span<const std::uint8_t>(buffer.data(), band_bytes(b)))) return false;
    }
    return true;
  }

  // Band b is made in slot b % slots; a producer takes the next band only
  // once its slot has been consumed, so at most `slots` bands are held.
  const std::size_t slots = producers + 1;
  std::vector<std::vector<std::uint8_t>> buffers(slots);
  std::vector<char> ready(slots, 0);
  std::mutex lock;
  std::condition_variable changed;
  std::size_t next_to_make = 0;
  std::size_t next_to_hand_over = 0;
  bool stop = false;
  std::exception_ptr error;

  auto producer = [&] {
    std::unique_lock<std::mutex> hold(lock);
    while (true) {
      changed.wait(hold, [&] {
        return stop || next_to_make >= bands || next_to_make < next_to_hand_over + slots;
      });
      if (stop || next_to_make >= bands) return;
      const std::size_t b = next_to_make++;
      std::vector<std::uint8_t>& buffer = buffers[b % slots];
      hold.unlock();
      try {
        buffer.resize(band * item_bytes);
        produce(b * band, band_end(b), buffer.data());
      } catch (...) {
        hold.lock();
        if (!error) error = std::current_exception();
        stop = true;
        changed.notify_all();
        return;
      }
      hold.lock();
      ready[b % slots] = 1;
      changed.notify_all();
    }
  };

  std::vector<std::thread> workers;
  workers.reserve(producers);
  try {
    for (std::size_t i = 0; i < producers; ++i) workers.emplace_back(producer);
  } catch (const std::system_error&) {
    // Fewer threads than asked for; any one producer finishes the work.
  }
  if (workers.empty()) return ordered_bands(count, band, item_bytes, produce, consume, 1);

  bool consumed_all = true;
  try {
    for (std::size_t b = 0; b < bands; ++b) {
      std::unique_lock<std::mutex> hold(lock);
      changed.wait(hold, [&] { return stop || ready[b % slots] != 0; });
      if (ready[b % slots] == 0) break;
      hold.unlock();
      const bool ok =
          consume(std::span<const std::uint8_t>(buffers[b % slots].data(), band_bytes(b)));
      hold.lock();
      ready[b % slots] = 0;
      ++next_to_hand_over;
      changed.notify_all();
      if (!ok) {
        consumed_all = false;
        stop = true;
        break;
      }
    }
  } catch (...) {
    const std::lock_guard<std::mutex> hold(lock);
    if (!error) error = std::current_exception();
  }
  {
    const std::lock_guard<std::mutex> hold(lock);
    stop = true;
    changed.notify_all();
  }
  for (std::thread& worker : workers) worker.join();
  if (error) std::rethrow_exception(error);
  return consumed_all;
}

}  // namespace pixmera::photocd
