// A TCP connection to a host and port with time-outs on every step, which
// can switch to TLS in place (the STLS/STARTTLS step of mail protocols):
// the stream behind PosixEnv::ConnectTcp.
//
// TLS here is a client with OpenSSL's defaults and no certificate check:
// the only caller logs in to its own installation's server by address,
// whose certificate is mostly self-signed; encryption keeps the password
// off the wire, the peer is the one the administrator named.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tarvelin {

class TcpStream {
 public:
  enum class Outcome { kDone, kUnresolved, kTimedOut, kClosed, kFailed };

  TcpStream();
  ~TcpStream();
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  // The first address of `host` that accepts within `timeout_ms`; kFailed
  // leaves errno (ECONNREFUSED: nothing listens there).
  Outcome Connect(std::string_view host, uint16_t port, int timeout_ms);
  // Whether a TLS client can be set up at all (OpenSSL made its context).
  bool TlsAvailable() const;
  // The TLS handshake over the open connection; kFailed with `error` set
  // to OpenSSL's reason.
  Outcome StartTls(int timeout_ms, std::string* error);
  bool tls() const;

  Outcome WriteAll(const void* data, size_t length, int timeout_ms);
  // One read of at most `max` bytes; kClosed at the end of the stream.
  Outcome ReadSome(void* buffer, size_t max, int timeout_ms, size_t* got);

 private:
  struct Tls;
  int fd_ = -1;
  std::unique_ptr<Tls> tls_;
};

}  // namespace tarvelin
