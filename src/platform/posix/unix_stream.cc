#include "platform/posix/unix_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tarvelin {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(int timeout_ms) {
  return Clock::now() + std::chrono::milliseconds(timeout_ms);
}

// True when `fd` has data or end of stream before the deadline; a deadline in
// the past still reports what is already there.
bool WaitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    int wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, wait_ms);
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

int64_t ReadBefore(int fd, void* buffer, size_t max, Clock::time_point deadline) {
  if (fd < 0 || !WaitReadable(fd, deadline)) return -1;
  for (;;) {
    ssize_t n = ::recv(fd, buffer, max, 0);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

}  // namespace

UnixStream::~UnixStream() { Close(); }

void UnixStream::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

UnixStream::ConnectResult UnixStream::Connect(std::string_view socket_path) {
  Close();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path.empty() || socket_path.size() >= sizeof(address.sun_path) ||
      socket_path.find('\0') != std::string_view::npos) {
    return ConnectResult::kFailed;
  }
  std::memcpy(address.sun_path, socket_path.data(), socket_path.size());

  // Non-blocking only while connecting: a full listen queue then reports
  // EAGAIN instead of blocking until the service accepts.
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return ConnectResult::kFailed;
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    bool busy = errno == EAGAIN;
    ::close(fd);
    return busy ? ConnectResult::kBusy : ConnectResult::kFailed;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return ConnectResult::kFailed;
  }
  fd_ = fd;
  return ConnectResult::kConnected;
}

bool UnixStream::WriteAll(const void* data, size_t length) {
  if (fd_ < 0) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    // MSG_NOSIGNAL: a service that already closed must not kill the caller.
    ssize_t n = ::send(fd_, p, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

int64_t UnixStream::ReadSome(void* buffer, size_t max, int timeout_ms) {
  return ReadBefore(fd_, buffer, max, DeadlineAfter(timeout_ms));
}

bool UnixStream::ReadExact(void* buffer, size_t length, int timeout_ms) {
  Clock::time_point deadline = DeadlineAfter(timeout_ms);
  char* p = static_cast<char*>(buffer);
  while (length > 0) {
    int64_t n = ReadBefore(fd_, p, length, deadline);
    if (n <= 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace tarvelin
