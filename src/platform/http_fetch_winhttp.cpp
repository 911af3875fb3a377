// The fetch on Windows: WinHTTP, with Windows' own TLS and certificate store.
// The session is asynchronous so that the fetching thread can wait for each
// step, the time limit and a cancel at once: every call is answered by the
// status callback, which signals an event. A step that is cut short (time
// limit, cancel) is ended by closing the request, and the fetch returns at
// once. WinHTTP may still call back until it says the request is gone (under
// wine a pending read runs on to its own time-out), so what the callback
// touches belongs to the request and goes with its last callback.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/http_fetch.h"
#include "settings/product.h"

namespace pixmera {

namespace {

// curl's limit on the Linux side: three redirects are followed, a fourth is
// refused.
constexpr int kMaxRedirects = 3;

std::wstring widen(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  }
  return wide;
}

std::string narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  }
  return utf8;
}

// WinHTTP's words for one of its error codes, for the debug output.
std::string error_text(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      GetModuleHandleW(L"winhttp.dll"), error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string words = length > 0 ? narrow(std::wstring_view(text, length)) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
    words.pop_back();
  return "WinHTTP error " + std::to_string(error) + (words.empty() ? "" : " (" + words + ")");
}

FetchOutcome outcome_of(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return FetchOutcome::HostNotFound;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return FetchOutcome::CannotConnect;
    case ERROR_WINHTTP_TIMEOUT:
      return FetchOutcome::TimedOut;
    default:
      return FetchOutcome::Failed;
  }
}

struct HandleClose {
  void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, HandleClose>;

struct EventClose {
  void operator()(HANDLE event) const { CloseHandle(event); }
};
using Event = std::unique_ptr<void, EventClose>;

// What the status callback hands the fetching thread for one request.
// Written by WinHTTP's threads before they signal `step_done`; read after the
// wait for it. Shared by the fetch and the request's callbacks: the request's
// context is a heap copy of the pointer, deleted by the last callback.
struct Exchange {
  Event step_done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  DWORD error = 0;  // the step's error, 0 when it worked
  DWORD bytes = 0;  // bytes available or read
};
using SharedExchange = std::shared_ptr<Exchange>;

void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD length) {
  auto* holder = reinterpret_cast<SharedExchange*>(context);
  if (holder == nullptr) return;
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    delete holder;
    return;
  }
  Exchange* exchange = holder->get();
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      exchange->error = 0;
      break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
      exchange->error = 0;
      exchange->bytes = *static_cast<DWORD*>(info);
      break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      exchange->error = 0;
      exchange->bytes = length;
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      exchange->error = static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError;
      break;
    default:
      return;
  }
  SetEvent(exchange->step_done.get());
}

// An address taken apart: only http and https are fetched.
struct Address {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring path;  // with the query
};

bool parse_address(const std::wstring& url, Address& address) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
    return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (parts.dwHostNameLength == 0) return false;
  address.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  address.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  address.port = parts.nPort;
  address.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  address.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (address.path.empty()) address.path = L"/";
  return true;
}

bool starts_with_ignoring_case(std::wstring_view text, std::wstring_view start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(),
                    [](wchar_t a, wchar_t b) { return towlower(a) == towlower(b); });
}

// Where a redirect leads, or an empty text when it may not be followed: a
// redirect leads to an https address only, whether it is written whole or
// relative to an https page.
std::wstring redirect_target(const Address& from, const std::wstring& location) {
  if (starts_with_ignoring_case(location, L"https://")) return location;
  if (starts_with_ignoring_case(location, L"http://") || !from.secure) return {};
  if (location.rfind(L"//", 0) == 0) return L"https:" + location;
  if (location.rfind(L"/", 0) == 0) {
    return L"https://" + from.host + L":" + std::to_wstring(from.port) + location;
  }
  return {};
}

std::wstring header_text(HINTERNET request, DWORD query) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(size / sizeof(wchar_t));
  return text;
}

// One fetch: the session, the time limit, the cancel, and the request under
// way.
class Fetch {
 public:
  Fetch(const FetchLimits& limits, HANDLE cancel_event, FetchResult& result)
      : limits_(limits),
        cancel_event_(cancel_event),
        result_(result),
        deadline_(std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(limits.total_timeout_ms)) {}

  ~Fetch() { close_request(); }

  Fetch(const Fetch&) = delete;
  Fetch& operator=(const Fetch&) = delete;

  void run(const std::string& url) {
    Address address;
    if (!parse_address(widen(url), address)) {
      result_.host = url;
      fail(FetchOutcome::Failed, "not an http or https address: " + url);
      return;
    }
    result_.host = narrow(address.host);
    if (!open_session()) return;
    for (int redirects = 0;; ++redirects) {
      if (!ask(address)) return;
      const DWORD status = status_code();
      result_.status = static_cast<long>(status);
      if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const std::wstring location = header_text(request_.get(), WINHTTP_QUERY_LOCATION);
        const std::wstring target = redirect_target(address, location);
        Address next;
        if (target.empty() || !parse_address(target, next)) {
          fail(FetchOutcome::Failed,
               "a redirect to " + narrow(location) + " is not followed: only https addresses are");
          return;
        }
        if (redirects == kMaxRedirects) {
          fail(FetchOutcome::Failed, "more than " + std::to_string(kMaxRedirects) + " redirects");
          return;
        }
        close_request();
        address = std::move(next);
        continue;
      }
      if (status != 200) {
        fail(FetchOutcome::HttpError,
             "the server answered with the status " + std::to_string(status));
        return;
      }
      read_body();
      return;
    }
  }

 private:
  void fail(FetchOutcome outcome, std::string detail) {
    result_.outcome = outcome;
    result_.detail = std::move(detail);
  }

  bool open_session() {
    const std::wstring agent = widen(std::string(kShortName) + "/" + version_text(kVersion));
    // The proxy the user set for Windows (Windows 8.1 and later); WinHTTP's
    // own setting where that is not known.
    for (const DWORD access :
         {DWORD{WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY}, DWORD{WINHTTP_ACCESS_TYPE_DEFAULT_PROXY}}) {
      session_.reset(WinHttpOpen(agent.c_str(), access, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
      if (session_) break;
    }
    if (!session_) {
      fail(FetchOutcome::Failed, "WinHTTP could not start: " + error_text(GetLastError()));
      return false;
    }
    const int connect_ms = static_cast<int>(limits_.connect_timeout_ms);
    const int total_ms = static_cast<int>(limits_.total_timeout_ms);
    WinHttpSetTimeouts(session_.get(), connect_ms, connect_ms, total_ms, total_ms);
    return true;
  }

  // Sends the request and waits for the answer's headers.
  bool ask(const Address& address) {
    connection_.reset(WinHttpConnect(session_.get(), address.host.c_str(), address.port, 0));
    if (!connection_) return failed_call();
    request_.reset(WinHttpOpenRequest(connection_.get(), L"GET", address.path.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      address.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request_) return failed_call();
    // Redirects are followed here, so that none leads away from https. No
    // Accept-Encoding is sent: the answer is read as it comes.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!WinHttpSetOption(request_.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never))
      return failed_call();
    exchange_ = std::make_shared<Exchange>();
    if (!exchange_->step_done) return failed_call();
    auto holder = std::make_unique<SharedExchange>(exchange_);
    auto context = reinterpret_cast<DWORD_PTR>(holder.get());
    if (!WinHttpSetOption(request_.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) ||
        WinHttpSetStatusCallback(
            request_.get(), on_status,
            WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
            0) == WINHTTP_INVALID_STATUS_CALLBACK) {
      return failed_call();
    }
    // From here the request's closing callback deletes it.
    holder.release();
    if (!WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, context)) {
      return failed_call();
    }
    if (!wait_for_step()) return false;
    if (!WinHttpReceiveResponse(request_.get(), nullptr)) return failed_call();
    return wait_for_step();
  }

  DWORD status_code() const {
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    return status;
  }

  // The body, refused as soon as it would pass the limit: first by the length
  // the server announces, then by what arrives.
  void read_body() {
    const std::wstring announced = header_text(request_.get(), WINHTTP_QUERY_CONTENT_LENGTH);
    if (!announced.empty()) {
      std::uint64_t length = 0;
      bool digits = true;
      for (const wchar_t c : announced) {
        if (c < L'0' || c > L'9') {
          digits = false;
          break;
        }
        length = std::min<std::uint64_t>(length * 10 + static_cast<unsigned>(c - L'0'),
                                         std::uint64_t{1} << 62);
      }
      if (digits && length > limits_.max_bytes) {
        fail(FetchOutcome::TooLarge, "the server announced " + narrow(announced) + " bytes");
        return;
      }
    }
    std::string& body = result_.body;
    while (true) {
      if (!WinHttpQueryDataAvailable(request_.get(), nullptr)) {
        failed_call();
        return;
      }
      if (!wait_for_step()) return;
      const DWORD available = exchange_->bytes;
      if (available == 0) break;
      if (available > limits_.max_bytes - body.size()) {
        fail(FetchOutcome::TooLarge,
             "the answer passed " + std::to_string(limits_.max_bytes) + " bytes");
        return;
      }
      const size_t old_size = body.size();
      body.resize(old_size + available);
      if (!WinHttpReadData(request_.get(), body.data() + old_size, available, nullptr)) {
        failed_call();
        return;
      }
      if (!wait_for_step()) return;
      body.resize(old_size + exchange_->bytes);
    }
    result_.outcome = FetchOutcome::Fetched;
    result_.detail = "fetched " + std::to_string(body.size()) + " bytes";
  }

  // A call that failed at once, with its error.
  bool failed_call() {
    const DWORD error = GetLastError();
    fail(outcome_of(error), error_text(error));
    return false;
  }

  // Waits for the callback to end the step under way, within the time limit
  // and until a cancel.
  bool wait_for_step() {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    const DWORD wait_ms = static_cast<DWORD>(std::max<std::int64_t>(left.count(), 0));
    const HANDLE events[2] = {exchange_->step_done.get(), cancel_event_};
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, wait_ms);
    if (woken == WAIT_OBJECT_0) {
      if (exchange_->error == 0) return true;
      fail(outcome_of(exchange_->error), error_text(exchange_->error));
      return false;
    }
    if (woken == WAIT_OBJECT_0 + 1) {
      fail(FetchOutcome::Cancelled, "cancelled");
    } else {
      fail(FetchOutcome::TimedOut,
           "no whole answer within " + std::to_string(limits_.total_timeout_ms) + " ms");
    }
    return false;
  }

  // Closes the request, ending any step under way; its callbacks have an
  // exchange of their own, so the next request's waits never see them.
  void close_request() {
    request_.reset();
    exchange_.reset();
    connection_.reset();
  }

  const FetchLimits& limits_;
  HANDLE cancel_event_;
  FetchResult& result_;
  std::chrono::steady_clock::time_point deadline_;
  InternetHandle session_;
  InternetHandle connection_;
  InternetHandle request_;
  SharedExchange exchange_;
};

}  // namespace

void FetchCancel::cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (waiting_ != nullptr) SetEvent(static_cast<HANDLE>(waiting_));
}

bool FetchCancel::cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

// WinHTTP needs no preparation.
std::string_view http_fetch_library() { return "WinHTTP"; }

void prepare_http() {}

FetchResult fetch_url(const std::string& url, const FetchLimits& limits, FetchCancel* cancel) {
  FetchResult result;
  const Event cancel_event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!cancel_event) {
    result.host = url;
    result.detail = "no event for the fetch";
    return result;
  }
  bool cancelled = false;
  if (cancel != nullptr) {
    std::lock_guard lock(cancel->mutex_);
    cancel->waiting_ = cancel_event.get();
    cancelled = cancel->cancelled_;
  }
  if (cancelled) {
    result.host = url;
    Address address;
    if (parse_address(widen(url), address)) result.host = narrow(address.host);
    result.outcome = FetchOutcome::Cancelled;
    result.detail = "cancelled";
  } else {
    Fetch fetch(limits, cancel_event.get(), result);
    fetch.run(url);
  }
  if (cancel != nullptr) {
    // Before the event goes, so cancel() never signals a closed handle.
    std::lock_guard lock(cancel->mutex_);
    cancel->waiting_ = nullptr;
  }
  if (result.outcome != FetchOutcome::Fetched) result.body.clear();
  return result;
}

}  // namespace pixmera
