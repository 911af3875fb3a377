// The socket calls of the test servers on Windows: Winsock 2, started once
// for the process, sockets not inherited by the programs a test starts.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstddef>

namespace pixmera::test::sockets {

using Socket = SOCKET;
using Length = int;
constexpr Socket kNoSocket = INVALID_SOCKET;

inline Socket open_stream() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return kNoSocket;
  return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}
inline Socket accept_client(Socket listener) { return ::accept(listener, nullptr, nullptr); }
inline void close_socket(Socket socket) { ::closesocket(socket); }
inline int wait_readable(pollfd* sockets, unsigned count, int milliseconds) {
  return ::WSAPoll(sockets, count, milliseconds);
}
inline long send_some(Socket socket, const char* data, size_t size) {
  return ::send(socket, data, static_cast<int>(size), 0);
}
inline long receive_some(Socket socket, char* data, size_t size) {
  return ::recv(socket, data, static_cast<int>(size), 0);
}

}  // namespace pixmera::test::sockets
