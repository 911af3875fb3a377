// The fetch against a server on 127.0.0.1: what comes back, and that every
// limit holds whatever the server does.
#include "platform/http_fetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "support/http_server.h"

namespace pixmera {
namespace {

using test::HttpServer;

FetchLimits small_limits() {
  FetchLimits limits;
  limits.max_bytes = 100;
  return limits;
}

class HttpFetch : public testing::Test {
 protected:
  static void SetUpTestSuite() { prepare_http(); }
};

TEST_F(HttpFetch, BringsTheDocumentOrSaysWhatTheServerDid) {
  HttpServer server({200, "version = 3.2\n"});
  FetchResult result = fetch_url(server.url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::Fetched) << result.detail;
  EXPECT_EQ(result.body, "version = 3.2\n");
  EXPECT_EQ(result.host, "127.0.0.1");
  EXPECT_NE(server.last_request().find("GET /pixmera/version.txt HTTP/1.1\r\n"), std::string::npos);
  EXPECT_NE(server.last_request().find("User-Agent: pixmera/3.1\r\n"), std::string::npos);
  // Nothing asks for a compressed answer that would grow past the limit.
  EXPECT_EQ(server.last_request().find("Accept-Encoding"), std::string::npos);

  HttpServer missing({404, "not here"});
  result = fetch_url(missing.url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::HttpError);
  EXPECT_EQ(result.status, 404);
  EXPECT_TRUE(result.body.empty());

  result = fetch_url(HttpServer::unreachable_url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::CannotConnect) << result.detail;
}

TEST_F(HttpFetch, AnAnswerPastTheLimitIsRefusedAnnouncedOrNot) {
  HttpServer exact({200, std::string(100, 'x')});
  EXPECT_EQ(fetch_url(exact.url(), small_limits(), nullptr).outcome, FetchOutcome::Fetched);

  HttpServer announced({200, std::string(101, 'x')});
  FetchResult result = fetch_url(announced.url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::TooLarge);
  EXPECT_TRUE(result.body.empty());

  // Without a length the reading itself stops at the limit.
  HttpServer endless({200, std::string(1 << 20, 'x'), false});
  result = fetch_url(endless.url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::TooLarge);
  EXPECT_TRUE(result.body.empty());
}

TEST_F(HttpFetch, ARedirectToPlainHttpIsNotFollowed) {
  HttpServer target({200, "version = 3.2\n"});
  HttpServer redirect({302, "", true, "Location: " + target.url() + "\r\n"});
  const FetchResult result = fetch_url(redirect.url(), small_limits(), nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::Failed) << result.detail;
  EXPECT_EQ(target.requests(), 0);
}

TEST_F(HttpFetch, ASilentServerEndsInTheTimeLimitOrAtOnceWhenCancelled) {
  HttpServer silent({}, HttpServer::Mode::Silent);
  FetchLimits limits = small_limits();
  limits.total_timeout_ms = 300;
  FetchResult result = fetch_url(silent.url(), limits, nullptr);
  EXPECT_EQ(result.outcome, FetchOutcome::TimedOut) << result.detail;

  // With the usual limits of many seconds, a cancel from another thread
  // ends the wait long before them.
  FetchCancel cancel;
  auto fetch = std::async(std::launch::async,
                          [&] { return fetch_url(silent.url(), FetchLimits{}, &cancel); });
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (silent.requests() < 2 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(silent.requests(), 2);
  cancel.cancel();
  ASSERT_EQ(fetch.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  EXPECT_EQ(fetch.get().outcome, FetchOutcome::Cancelled);

  // Cancelled before it starts, it does not start.
  EXPECT_EQ(fetch_url(silent.url(), FetchLimits{}, &cancel).outcome, FetchOutcome::Cancelled);
  EXPECT_EQ(silent.requests(), 2);
}

}  // namespace
}  // namespace pixmera
