// A small HTTP server on 127.0.0.1 for the update check's tests: it answers
// every request with one fixed reply, or keeps the connection open and says
// nothing, and counts the requests it has read.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pixmera::test {

class HttpServer {
 public:
  enum class Mode {
    Answer,  // the reply, then the connection is closed
    Silent,  // reads the request and never answers
  };

  struct Reply {
    Reply(int status_code = 200, std::string text = {}, bool with_length = true,
          std::string headers = {})
        : status(status_code),
          body(std::move(text)),
          announce_length(with_length),
          extra_headers(std::move(headers)) {}
    int status;
    std::string body;
    bool announce_length;       // a Content-Length header
    std::string extra_headers;  // "Location: ...\r\n"
  };

  explicit HttpServer(Reply reply, Mode mode = Mode::Answer)
      : reply_(std::move(reply)), mode_(mode) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~HttpServer() {
    if (thread_.joinable()) {
      const char stop = 's';
      (void)!::write(wake_[1], &stop, 1);
      thread_.join();
    }
    for (const int fd : {listener_, wake_[0], wake_[1]}) {
      if (fd >= 0) ::close(fd);
    }
  }

  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // The address of the version document on this server.
  std::string url(const std::string& path = "/pixmera/version.txt") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int port() const { return port_; }
  int requests() const { return requests_; }
  // The last request as it arrived (request line and headers).
  std::string last_request() const {
    std::lock_guard lock(mutex_);
    return last_request_;
  }

  // An address on 127.0.0.1 where nothing listens: a connection is refused.
  static std::string unreachable_url() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/pixmera/version.txt";
  }

 private:
  void serve() {
    std::vector<int> held;  // connections a silent server keeps open
    for (;;) {
      pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) break;
      if (fds[1].revents != 0) break;
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      const std::string request = read_request(client);
      {
        std::lock_guard lock(mutex_);
        last_request_ = request;
      }
      ++requests_;
      if (mode_ == Mode::Silent) {
        held.push_back(client);
        continue;
      }
      send_all(client, reply_text());
      ::close(client);
    }
    for (const int fd : held) ::close(fd);
  }

  // Up to the blank line that ends the headers (a GET has no body).
  std::string read_request(int client) const {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      pollfd fd{client, POLLIN, 0};
      if (::poll(&fd, 1, 5000) <= 0) break;
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    return request;
  }

  std::string reply_text() const {
    std::string text = "HTTP/1.1 " + std::to_string(reply_.status) + " Test\r\n";
    text += "Content-Type: text/plain\r\nConnection: close\r\n" + reply_.extra_headers;
    if (reply_.announce_length) {
      text += "Content-Length: " + std::to_string(reply_.body.size()) + "\r\n";
    }
    return text + "\r\n" + reply_.body;
  }

  // The client may hang up early (an answer it finds too long): no SIGPIPE.
  static void send_all(int client, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
      const ssize_t n = ::send(client, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  }

  Reply reply_;
  Mode mode_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::string last_request_;
  std::thread thread_;
};

}  // namespace pixmera::test
