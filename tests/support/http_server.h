// A small HTTP server on 127.0.0.1 for the update check's tests: it answers
// every request with one fixed reply, or keeps the connection open and says
// nothing, and counts the requests it has read.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The system's own socket calls: support/posix/ or support/win32/, the
// build's include path names the folder.
#include "socket_calls.h"

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
    listener_ = sockets::open_stream();
    sockaddr_in address = loopback();
    sockets::Length length = sizeof address;
    if (listener_ == sockets::kNoSocket ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  // The server's thread is woken by a connection of its own, once it is
  // told to stop.
  ~HttpServer() {
    if (thread_.joinable()) {
      stopping_ = true;
      const sockets::Socket wake = sockets::open_stream();
      sockaddr_in address = loopback();
      address.sin_port = htons(static_cast<uint16_t>(port_));
      (void)!::connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof address);
      thread_.join();
      if (wake != sockets::kNoSocket) sockets::close_socket(wake);
    }
    if (listener_ != sockets::kNoSocket) sockets::close_socket(listener_);
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
    const sockets::Socket socket = sockets::open_stream();
    sockaddr_in address = loopback();
    sockets::Length length = sizeof address;
    (void)!::bind(socket, reinterpret_cast<sockaddr*>(&address), length);
    (void)!::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    sockets::close_socket(socket);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/pixmera/version.txt";
  }

 private:
  // 127.0.0.1, any free port.
  static sockaddr_in loopback() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  void serve() {
    std::vector<sockets::Socket> held;  // connections a silent server keeps open
    for (;;) {
      pollfd listening{listener_, POLLIN, 0};
      if (sockets::wait_readable(&listening, 1, -1) < 0) break;
      const sockets::Socket client = sockets::accept_client(listener_);
      if (stopping_) {
        if (client != sockets::kNoSocket) sockets::close_socket(client);
        break;
      }
      if (client == sockets::kNoSocket) continue;
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
      sockets::close_socket(client);
    }
    for (const sockets::Socket socket : held) sockets::close_socket(socket);
  }

  // Up to the blank line that ends the headers (a GET has no body).
  std::string read_request(sockets::Socket client) const {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      pollfd readable{client, POLLIN, 0};
      if (sockets::wait_readable(&readable, 1, 5000) <= 0) break;
      const long n = sockets::receive_some(client, buffer, sizeof buffer);
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

  // The client may hang up early (an answer it finds too long).
  static void send_all(sockets::Socket client, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
      const long n = sockets::send_some(client, text.data() + sent, text.size() - sent);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  }

  Reply reply_;
  Mode mode_;
  sockets::Socket listener_ = sockets::kNoSocket;
  std::atomic<bool> stopping_{false};
  int port_ = 0;
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::string last_request_;
  std::thread thread_;
};

}  // namespace pixmera::test
