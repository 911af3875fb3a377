// The fetch as the update check makes it, run under wine against servers on
// 127.0.0.1 that fetch_harness started: a newer version, the same version,
// nothing listening, and every limit (status, size, redirects, time,
// cancel). Each argument is NAME=ADDRESS; one line per check, "ok" or
// "FAIL", and the exit status counts the failures.
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <thread>

#include "platform/http_fetch.h"
#include "settings/product.h"
#include "settings/version_document.h"

namespace {

using pixmera::FetchOutcome;

std::map<std::string, std::string> g_address;
int g_failures = 0;

const char* outcome_name(FetchOutcome outcome) {
  constexpr const char* names[] = {"Fetched",   "HostNotFound", "CannotConnect", "TimedOut",
                                   "HttpError", "TooLarge",     "Cancelled",     "Failed"};
  return names[static_cast<int>(outcome)];
}

void check(bool good, const std::string& what, const pixmera::FetchResult& result) {
  std::printf("%s %s (%s, status %ld, %zu bytes, host %s: %s)\n", good ? "ok" : "FAIL",
              what.c_str(), outcome_name(result.outcome), result.status, result.body.size(),
              result.host.c_str(), result.detail.c_str());
  std::fflush(stdout);
  if (!good) ++g_failures;
}

pixmera::FetchLimits update_limits() {
  pixmera::FetchLimits limits;
  limits.max_bytes = pixmera::kMaxVersionDocumentBytes;
  return limits;
}

// The update check's answer: "newer", "same" or why it failed.
std::string answer_of(const pixmera::FetchResult& result) {
  if (result.outcome != FetchOutcome::Fetched) return "no document";
  pixmera::VersionDocument document;
  std::string why;
  if (!pixmera::parse_version_document(result.body, document, why)) return "unreadable: " + why;
  const int order =
      pixmera::compare_versions(document.version, pixmera::version_text(pixmera::kVersion));
  return order > 0 ? "newer" : (order == 0 ? "same" : "older");
}

void expect_outcome(const std::string& name, FetchOutcome expected) {
  const auto result = pixmera::fetch_url(g_address[name], update_limits(), nullptr);
  check(result.outcome == expected && (expected == FetchOutcome::Fetched || result.body.empty()),
        name + " gives " + outcome_name(expected), result);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto equals = argument.find('=');
    if (equals != std::string::npos)
      g_address[argument.substr(0, equals)] = argument.substr(equals + 1);
  }
  pixmera::prepare_http();

  auto result = pixmera::fetch_url(g_address["newer"], update_limits(), nullptr);
  check(answer_of(result) == "newer" && result.host == "127.0.0.1", "a newer version is found",
        result);
  result = pixmera::fetch_url(g_address["same"], update_limits(), nullptr);
  check(answer_of(result) == "same", "the same version is the newest", result);
  expect_outcome("unreachable", FetchOutcome::CannotConnect);

  result = pixmera::fetch_url(g_address["missing"], update_limits(), nullptr);
  check(result.outcome == FetchOutcome::HttpError && result.status == 404 && result.body.empty(),
        "missing gives the status 404", result);
  result = pixmera::fetch_url(g_address["exact"], update_limits(), nullptr);
  check(result.outcome == FetchOutcome::Fetched &&
            result.body == std::string(pixmera::kMaxVersionDocumentBytes, 'x'),
        "an answer of exactly the limit is fetched whole", result);
  expect_outcome("announced", FetchOutcome::TooLarge);
  expect_outcome("endless", FetchOutcome::TooLarge);
  expect_outcome("redirect_http", FetchOutcome::Failed);
  // Followed: the https address it names has nothing listening.
  expect_outcome("redirect_https", FetchOutcome::CannotConnect);
  expect_outcome("not_http", FetchOutcome::Failed);

  // A silent server: the time limit ends the wait...
  auto limits = update_limits();
  limits.total_timeout_ms = 300;
  const auto start = std::chrono::steady_clock::now();
  result = pixmera::fetch_url(g_address["silent"], limits, nullptr);
  const auto took = std::chrono::steady_clock::now() - start;
  const auto took_ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  check(result.outcome == FetchOutcome::TimedOut && took < std::chrono::seconds(3),
        "a silent server ends in the time limit of 300 ms (" + std::to_string(took_ms) + " ms)",
        result);

  // ... and a cancel from another thread ends it long before the usual
  // limits of many seconds. The harness checks the request had arrived.
  pixmera::FetchCancel cancel;
  auto fetch = std::async(std::launch::async, [&] {
    return pixmera::fetch_url(g_address["held"], pixmera::FetchLimits{}, &cancel);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  cancel.cancel();
  const auto cancelled_at = std::chrono::steady_clock::now();
  const bool ended = fetch.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
  const auto cancel_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - cancelled_at)
                             .count();
  result = ended ? fetch.get() : pixmera::FetchResult{};
  check(ended && result.outcome == FetchOutcome::Cancelled,
        "a cancel ends the wait at once (" + std::to_string(cancel_ms) + " ms)", result);
  // Cancelled before it starts, it does not start.
  result = pixmera::fetch_url(g_address["held"], pixmera::FetchLimits{}, &cancel);
  check(result.outcome == FetchOutcome::Cancelled, "a cancelled fetch does not start", result);
  if (!ended) fetch.wait();
  return g_failures;
}
