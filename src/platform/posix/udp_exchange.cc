#include "platform/posix/udp_exchange.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/posix/udp_socket.h"

namespace tarvelin {

namespace {

// A socket connected to the first usable address of host:port; -1 with
// `resolved` false when the name does not resolve.
int ConnectedSocket(std::string_view host, uint16_t port, bool* resolved) {
  const UdpAddresses found = ResolveUdp(host, port);
  *resolved = found != nullptr;
  if (!*resolved) return -1;
  int fd = -1;
  for (const addrinfo* entry = found.get(); entry != nullptr && fd < 0; entry = entry->ai_next) {
    fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, entry->ai_protocol);
    if (fd < 0) continue;
    if (connect(fd, entry->ai_addr, entry->ai_addrlen) != 0) {
      const int error = errno;
      close(fd);
      fd = -1;
      errno = error;
    }
  }
  return fd;
}

class Closer {
 public:
  explicit Closer(int fd) : fd_(fd) {}
  ~Closer() { close(fd_); }

 private:
  int fd_;
};

}  // namespace

UdpExchangeResult UdpExchange(std::string_view host, uint16_t port, std::string_view request,
                              size_t answer_max, int timeout_ms, std::string* answer) {
  using Clock = std::chrono::steady_clock;
  bool resolved = false;
  const int fd = ConnectedSocket(host, port, &resolved);
  if (!resolved) return UdpExchangeResult::kUnresolved;
  if (fd < 0) return UdpExchangeResult::kFailed;
  Closer closer(fd);

  ssize_t sent;
  do {
    sent = send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent != static_cast<ssize_t>(request.size())) {
    if (sent >= 0) errno = EMSGSIZE;
    return UdpExchangeResult::kFailed;
  }

  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return UdpExchangeResult::kTimedOut;
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled < 0) return UdpExchangeResult::kFailed;
    if (polled == 0) return UdpExchangeResult::kTimedOut;
    answer->assign(answer_max, '\0');
    const ssize_t got = recv(fd, answer->data(), answer_max, MSG_TRUNC);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return UdpExchangeResult::kFailed;
    answer->resize(std::min(static_cast<size_t>(got), answer_max));
    return UdpExchangeResult::kAnswered;
  }
}

}  // namespace tarvelin
