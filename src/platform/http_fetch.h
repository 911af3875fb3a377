// Fetching a small document over HTTP(S) within limits: a connect time-out,
// a time limit for the whole exchange and a size limit on the answer, so a
// slow, silent or hostile server costs nothing but a refusal. Used by the
// window module's update check, on a thread of its own; the executable never
// links the HTTP library. Linux fetches with libcurl (http_fetch_curl.cpp),
// Windows with WinHTTP and its own TLS and certificate store
// (http_fetch_winhttp.cpp).
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace pixmera {

struct FetchLimits {
  long connect_timeout_ms = 5000;
  long total_timeout_ms = 15000;
  size_t max_bytes = 16 * 1024;
};

enum class FetchOutcome {
  Fetched,        // status 200 and the body, within the limits
  HostNotFound,   // the name did not resolve
  CannotConnect,  // refused, unreachable, no route
  TimedOut,       // no connection or no whole answer in time
  HttpError,      // the server answered with another status (`status`)
  TooLarge,       // the answer passed `max_bytes`
  Cancelled,      // cancel() was called
  Failed,         // anything else (TLS, a malformed address); `detail` says what
};

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::Failed;
  long status = 0;     // the HTTP status, when the server answered
  std::string body;    // the answer, when fetched
  std::string host;    // the host the address names, for messages
  std::string detail;  // the HTTP library's own words, for the debug output
};

// Lets another thread end a fetch at once, whatever it is waiting for.
class FetchCancel {
 public:
  void cancel();
  bool cancelled() const;

 private:
  friend FetchResult fetch_url(const std::string&, const FetchLimits&, FetchCancel*);
  mutable std::mutex mutex_;
  bool cancelled_ = false;
  void* waiting_ = nullptr;  // the transfer being waited on, woken by cancel()
};

// The library that fetches, for the about box: "libcurl" or "WinHTTP".
std::string_view http_fetch_library();

// Prepares the HTTP library; called once on the main thread before any fetch
// starts.
void prepare_http();

// GETs `url` (http or https; redirects only to https). Blocks until the
// answer is in, a limit passes or `cancel` (may be null) is called.
FetchResult fetch_url(const std::string& url, const FetchLimits& limits, FetchCancel* cancel);

}  // namespace pixmera
