#include <curl/curl.h>

#include <memory>

#include "platform/http_fetch.h"
#include "settings/product.h"

namespace pixmera {

namespace {

struct EasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiFree {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// Where the answer goes; the write stops as soon as it would pass the limit,
// whatever the server announced.
struct Sink {
  std::string* body;
  size_t limit;
  bool overflowed = false;
};

size_t take_bytes(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t bytes = size * count;
  if (bytes > sink->limit - sink->body->size()) {
    sink->overflowed = true;
    return 0;  // anything but `bytes` ends the transfer
  }
  sink->body->append(data, bytes);
  return bytes;
}

std::string host_of(const std::string& url) {
  std::unique_ptr<CURLU, UrlFree> parsed(curl_url());
  char* host = nullptr;
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
      curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
    return url;
  }
  std::string text(host);
  curl_free(host);
  return text;
}

FetchOutcome outcome_of(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return FetchOutcome::Fetched;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return FetchOutcome::HostNotFound;
    case CURLE_COULDNT_CONNECT:
      return FetchOutcome::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return FetchOutcome::TimedOut;
    case CURLE_FILESIZE_EXCEEDED:
      return FetchOutcome::TooLarge;
    default:
      return FetchOutcome::Failed;
  }
}

void set_options(CURL* easy, const std::string& url, const FetchLimits& limits, Sink& sink,
                 char* error, const std::string& agent) {
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  // A redirect may lead to a secure page only, never from https to http.
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 3L);
  // Threads must not meet libcurl's signal-based name look-up time-outs.
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connect_timeout_ms);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.total_timeout_ms);
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_bytes));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, take_bytes);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
  // A cancelled fetch does not wait for a name look-up to finish.
  curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
  // No Accept-Encoding: the answer is read as it comes, never inflated.
}

}  // namespace

void FetchCancel::cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (waiting_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(waiting_));
}

bool FetchCancel::cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

std::string_view http_fetch_library() { return "libcurl"; }

void prepare_http() {
  static const bool prepared = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)prepared;
}

FetchResult fetch_url(const std::string& url, const FetchLimits& limits, FetchCancel* cancel) {
  FetchResult result;
  result.host = host_of(url);
  std::unique_ptr<CURL, EasyFree> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiFree> multi(curl_multi_init());
  if (!easy || !multi) {
    result.detail = "libcurl could not start";
    return result;
  }
  char error[CURL_ERROR_SIZE] = "";
  Sink sink{&result.body, limits.max_bytes};
  const std::string agent = std::string(kShortName) + "/" + version_text(kVersion);
  set_options(easy.get(), url, limits, sink, error, agent);
  if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
    result.detail = "libcurl could not start the transfer";
    return result;
  }

  bool cancelled = false;
  if (cancel != nullptr) {
    std::lock_guard lock(cancel->mutex_);
    cancel->waiting_ = multi.get();
    cancelled = cancel->cancelled_;
  }
  int running = 1;
  while (!cancelled) {
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK || running == 0) break;
    if (curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) break;
    cancelled = cancel != nullptr && cancel->cancelled();
  }
  if (cancel != nullptr) {
    // Before the transfer goes, so cancel() never wakes a freed handle.
    std::lock_guard lock(cancel->mutex_);
    cancel->waiting_ = nullptr;
  }

  CURLcode code = CURLE_FAILED_INIT;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
    if (message->msg == CURLMSG_DONE) code = message->data.result;
  }
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &result.status);
  curl_multi_remove_handle(multi.get(), easy.get());

  if (cancelled) {
    result.outcome = FetchOutcome::Cancelled;
  } else if (sink.overflowed) {
    result.outcome = FetchOutcome::TooLarge;
  } else {
    result.outcome = outcome_of(code);
    if (result.outcome == FetchOutcome::Fetched && result.status != 200) {
      result.outcome = FetchOutcome::HttpError;
    }
  }
  if (result.outcome != FetchOutcome::Fetched) result.body.clear();
  result.detail = error[0] != '\0' ? error : curl_easy_strerror(code);
  return result;
}

}  // namespace pixmera
