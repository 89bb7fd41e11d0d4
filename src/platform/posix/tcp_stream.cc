#include "platform/posix/tcp_stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tarvelin {

namespace {

using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the socket is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, MillisLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0) {
      errno = ETIMEDOUT;
      return false;
    }
    if (errno != EINTR) return false;
  }
}

std::string OpenSslReason() {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return "TLS handshake failed";
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return text;
}

}  // namespace

struct TcpStream::Tls {
  SSL_CTX* context = nullptr;
  SSL* session = nullptr;
  ~Tls() {
    if (session != nullptr) SSL_free(session);
    if (context != nullptr) SSL_CTX_free(context);
  }
};

TcpStream::TcpStream() : tls_(std::make_unique<Tls>()) {
  tls_->context = SSL_CTX_new(TLS_client_method());
  if (tls_->context != nullptr) SSL_CTX_set_verify(tls_->context, SSL_VERIFY_NONE, nullptr);
}

TcpStream::~TcpStream() {
  tls_.reset();
  if (fd_ >= 0) ::close(fd_);
}

bool TcpStream::TlsAvailable() const { return tls_->context != nullptr; }
bool TcpStream::tls() const { return tls_->session != nullptr; }

TcpStream::Outcome TcpStream::Connect(std::string_view host, uint16_t port, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_family = AF_UNSPEC;
  addrinfo* found = nullptr;
  const std::string name(host);
  const std::string service = std::to_string(port);
  if (name.empty() || name.find('\0') != std::string::npos ||
      ::getaddrinfo(name.c_str(), service.c_str(), &hints, &found) != 0) {
    return Outcome::kUnresolved;
  }
  Outcome outcome = Outcome::kFailed;
  int saved_errno = ECONNREFUSED;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            a->ai_protocol);
    if (fd < 0) {
      saved_errno = errno;
      continue;
    }
    int result = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (result != 0 && errno == EINPROGRESS) {
      if (WaitFor(fd, POLLOUT, deadline)) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        errno = error;
        result = error == 0 ? 0 : -1;
      } else {
        result = -1;
      }
    }
    if (result == 0) {
      fd_ = fd;
      outcome = Outcome::kDone;
      break;
    }
    saved_errno = errno;
    ::close(fd);
    if (saved_errno == ETIMEDOUT) {
      outcome = Outcome::kTimedOut;
      break;
    }
  }
  ::freeaddrinfo(found);
  if (outcome != Outcome::kDone) errno = saved_errno;
  return outcome;
}

TcpStream::Outcome TcpStream::StartTls(int timeout_ms, std::string* error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  if (fd_ < 0 || tls_->context == nullptr || tls_->session != nullptr) {
    *error = "no connection to start TLS on";
    return Outcome::kFailed;
  }
  tls_->session = SSL_new(tls_->context);
  if (tls_->session == nullptr || SSL_set_fd(tls_->session, fd_) != 1) {
    *error = OpenSslReason();
    return Outcome::kFailed;
  }
  for (;;) {
    // SSL_get_error reads the thread's error queue: start it empty.
    ERR_clear_error();
    const int result = SSL_connect(tls_->session);
    if (result == 1) return Outcome::kDone;
    const int why = SSL_get_error(tls_->session, result);
    short events = 0;
    if (why == SSL_ERROR_WANT_READ) events = POLLIN;
    if (why == SSL_ERROR_WANT_WRITE) events = POLLOUT;
    if (events == 0) {
      *error = OpenSslReason();
      return Outcome::kFailed;
    }
    if (!WaitFor(fd_, events, deadline)) {
      *error = "TLS handshake timed out";
      return errno == ETIMEDOUT ? Outcome::kTimedOut : Outcome::kFailed;
    }
  }
}

TcpStream::Outcome TcpStream::WriteAll(const void* data, size_t length, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    short wait_events = POLLOUT;
    if (tls_->session != nullptr) {
      ERR_clear_error();
      const int written = SSL_write(tls_->session, p, static_cast<int>(length));
      if (written > 0) {
        p += written;
        length -= static_cast<size_t>(written);
        continue;
      }
      const int why = SSL_get_error(tls_->session, written);
      if (why == SSL_ERROR_WANT_READ) {
        wait_events = POLLIN;
      } else if (why != SSL_ERROR_WANT_WRITE) {
        errno = EPIPE;
        return Outcome::kFailed;
      }
    } else {
      const ssize_t written = ::send(fd_, p, length, MSG_NOSIGNAL);
      if (written > 0) {
        p += written;
        length -= static_cast<size_t>(written);
        continue;
      }
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Outcome::kFailed;
    }
    if (!WaitFor(fd_, wait_events, deadline)) {
      return errno == ETIMEDOUT ? Outcome::kTimedOut : Outcome::kFailed;
    }
  }
  return Outcome::kDone;
}

TcpStream::Outcome TcpStream::ReadSome(void* buffer, size_t max, int timeout_ms, size_t* got) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  *got = 0;
  if (max == 0) return Outcome::kDone;
  for (;;) {
    short wait_events = POLLIN;
    if (tls_->session != nullptr) {
      ERR_clear_error();
      const int read = SSL_read(tls_->session, buffer, static_cast<int>(max));
      if (read > 0) {
        *got = static_cast<size_t>(read);
        return Outcome::kDone;
      }
      const int why = SSL_get_error(tls_->session, read);
      if (why == SSL_ERROR_ZERO_RETURN) return Outcome::kClosed;
      if (why == SSL_ERROR_WANT_WRITE) {
        wait_events = POLLOUT;
      } else if (why != SSL_ERROR_WANT_READ) {
        ERR_clear_error();
        // A peer that drops the connection without close_notify has ended it too.
        return why == SSL_ERROR_SYSCALL ? Outcome::kClosed : Outcome::kFailed;
      }
    } else {
      const ssize_t read = ::recv(fd_, buffer, max, 0);
      if (read > 0) {
        *got = static_cast<size_t>(read);
        return Outcome::kDone;
      }
      if (read == 0) return Outcome::kClosed;
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return Outcome::kFailed;
    }
    if (!WaitFor(fd_, wait_events, deadline)) {
      return errno == ETIMEDOUT ? Outcome::kTimedOut : Outcome::kFailed;
    }
  }
}

}  // namespace tarvelin
