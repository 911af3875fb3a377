// The socket calls of the test servers on POSIX systems: BSD sockets, closed
// on exec, and no SIGPIPE when a client hangs up early.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>

namespace pixmera::test::sockets {

using Socket = int;
using Length = socklen_t;
constexpr Socket kNoSocket = -1;

inline Socket open_stream() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
inline Socket accept_client(Socket listener) {
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
inline void close_socket(Socket socket) { ::close(socket); }
inline int wait_readable(pollfd* sockets, unsigned count, int milliseconds) {
  return ::poll(sockets, count, milliseconds);
}
inline long send_some(Socket socket, const char* data, size_t size) {
  return ::send(socket, data, size, MSG_NOSIGNAL);
}
inline long receive_some(Socket socket, char* data, size_t size) {
  return ::recv(socket, data, size, 0);
}

}  // namespace pixmera::test::sockets
