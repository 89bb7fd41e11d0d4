// The clock, process, socket and output calls of PosixEnv, made through the
// free functions and classes of their own headers.
#include <climits>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "platform/posix/clock.h"
#include "platform/posix/debug_output.h"
#include "platform/posix/environment.h"
#include "platform/posix/local_time.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/network_info.h"
#include "platform/posix_env.h"
#include "platform/posix/processes.h"
#include "platform/posix/self_process.h"
#include "platform/posix/tcp_stream.h"
#include "platform/posix/udp_exchange.h"
#include "platform/posix/udp_socket.h"
#include "platform/posix/unix_stream.h"
#include "platform/posix/unix_time.h"

namespace tarvelin {

namespace {

Status PidRefused(int64_t pid) {
  return Status::InvalidArgument("no process id: " + std::to_string(pid));
}

bool ValidPid(int64_t pid) { return pid > 0 && pid <= INT_MAX; }

// Reads of a stream until `length` bytes came, all within `timeout_ms`.
Status ReadExactFrom(StreamSocket& stream, const std::string& peer, void* buffer, size_t length,
                     int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  char* p = static_cast<char*>(buffer);
  while (length > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    Result<size_t> got =
        stream.ReadSome(p, length, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (!got.ok()) return got.status();
    if (*got == 0) return Status::IOError("receive from " + peer + ": stream ended early");
    p += *got;
    length -= *got;
  }
  return Status::Ok();
}

class PosixStreamSocket final : public StreamSocket {
 public:
  PosixStreamSocket(std::string path, std::unique_ptr<UnixStream> stream)
      : path_(std::move(path)), stream_(std::move(stream)) {}

  Status WriteAll(const void* data, size_t length) override {
    errno = 0;
    if (stream_->WriteAll(data, length)) return Status::Ok();
    return Status::IOError("send to " + path_, errno != 0 ? errno : EPIPE);
  }

  Result<size_t> ReadSome(void* buffer, size_t max, int timeout_ms) override {
    // UnixStream says -1 for a time-out too; only a failed call sets errno.
    errno = 0;
    const int64_t got = stream_->ReadSome(buffer, max, timeout_ms);
    if (got >= 0) return static_cast<size_t>(got);
    return Status::IOError("receive from " + path_, errno != 0 ? errno : ETIMEDOUT);
  }

  Status ReadExact(void* buffer, size_t length, int timeout_ms) override {
    return ReadExactFrom(*this, path_, buffer, length, timeout_ms);
  }

 private:
  const std::string path_;
  const std::unique_ptr<UnixStream> stream_;
};

class PosixNetworkStream final : public NetworkStream {
 public:
  PosixNetworkStream(std::string peer, std::unique_ptr<TcpStream> stream)
      : peer_(std::move(peer)), stream_(std::move(stream)) {}

  Status WriteAll(const void* data, size_t length) override {
    errno = 0;
    // A peer that takes nothing for this long is as good as gone.
    switch (stream_->WriteAll(data, length, kWriteTimeoutMs)) {
      case TcpStream::Outcome::kDone:
        return Status::Ok();
      case TcpStream::Outcome::kTimedOut:
        return Status::IOError("send to " + peer_, ETIMEDOUT);
      default:
        return Status::IOError("send to " + peer_, errno != 0 ? errno : EPIPE);
    }
  }

  Result<size_t> ReadSome(void* buffer, size_t max, int timeout_ms) override {
    errno = 0;
    size_t got = 0;
    switch (stream_->ReadSome(buffer, max, timeout_ms, &got)) {
      case TcpStream::Outcome::kDone:
        return got;
      case TcpStream::Outcome::kClosed:
        return size_t{0};
      case TcpStream::Outcome::kTimedOut:
        return Status::IOError("receive from " + peer_, ETIMEDOUT);
      default:
        return Status::IOError("receive from " + peer_, errno != 0 ? errno : EIO);
    }
  }

  Status ReadExact(void* buffer, size_t length, int timeout_ms) override {
    return ReadExactFrom(*this, peer_, buffer, length, timeout_ms);
  }

  bool TlsAvailable() const override { return stream_->TlsAvailable(); }

  Status StartTls(int timeout_ms) override {
    std::string error;
    switch (stream_->StartTls(timeout_ms, &error)) {
      case TcpStream::Outcome::kDone:
        return Status::Ok();
      case TcpStream::Outcome::kTimedOut:
        return Status::IOError("TLS with " + peer_ + ": " + error, ETIMEDOUT);
      default:
        return Status::IOError("TLS with " + peer_ + ": " + error);
    }
  }

 private:
  static constexpr int kWriteTimeoutMs = 30000;
  const std::string peer_;
  const std::unique_ptr<TcpStream> stream_;
};

class PosixDatagramSender final : public DatagramSender {
 public:
  PosixDatagramSender(std::string receiver, std::unique_ptr<UdpSender> sender)
      : receiver_(std::move(receiver)), sender_(std::move(sender)) {}

  Status Send(std::string_view data) override {
    errno = 0;
    if (sender_->Send(data)) return Status::Ok();
    // A datagram sent in part has no error number of its own.
    return Status::IOError("send to " + receiver_, errno != 0 ? errno : EMSGSIZE);
  }

 private:
  const std::string receiver_;
  const std::unique_ptr<UdpSender> sender_;
};

}  // namespace

int64_t PosixEnv::NowUnixNanos() { return UnixTimeNs(); }
int64_t PosixEnv::NowUnixSeconds() { return UnixSecondsNow(); }
CivilDateTime PosixEnv::NowLocal() { return LocalNow(); }
LocalTime PosixEnv::LocalTimeOf(int64_t unix_seconds) { return LocalTimeAt(unix_seconds); }
int64_t PosixEnv::NowMonotonicSeconds() { return MonotonicSeconds(); }

int64_t PosixEnv::NowMonotonicMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void PosixEnv::SleepForMicroseconds(int64_t micros) {
  std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

uint32_t PosixEnv::RandomUint32() { return ::tarvelin::RandomUint32(); }
uint32_t PosixEnv::CurrentThreadId() { return ::tarvelin::CurrentThreadId(); }

std::string PosixEnv::GetVariable(std::string_view name) {
  return GetEnvironment(std::string(name).c_str());
}

Result<std::string> PosixEnv::ProgramPath() {
  std::string path = ProgramFilePath();
  if (path.empty()) return Status::IOError("read link /proc/self/exe", errno);
  return path;
}

Status PosixEnv::SpawnDetached(std::string_view program, std::string_view working_directory) {
  if (::tarvelin::SpawnDetached(std::string(program), std::string(working_directory))) {
    return Status::Ok();
  }
  return Status::IOError("start " + std::string(program), errno);
}

bool PosixEnv::ProcessRunning(int64_t pid) { return ::tarvelin::ProcessRunning(pid); }

Status PosixEnv::TerminateProcess(int64_t pid) {
  if (!ValidPid(pid)) return PidRefused(pid);
  if (::tarvelin::TerminateProcess(pid)) return Status::Ok();
  return Status::IOError("terminate process " + std::to_string(pid), errno);
}

Status PosixEnv::KillProcess(int64_t pid) {
  if (!ValidPid(pid)) return PidRefused(pid);
  if (::tarvelin::KillProcess(pid)) return Status::Ok();
  return Status::IOError("kill process " + std::to_string(pid), errno);
}

Result<std::string> PosixEnv::ProcessProgram(int64_t pid) {
  if (!ValidPid(pid)) return PidRefused(pid);
  errno = 0;
  std::string program = ::tarvelin::ProcessProgram(pid);
  if (!program.empty()) return program;
  const std::string message = "program of process " + std::to_string(pid);
  if (errno == ENOENT) return Status::NotFound(message);
  return Status::IOError(message, errno);
}

std::vector<int64_t> PosixEnv::FindProcessesByProgram(std::string_view program_path) {
  return ::tarvelin::FindProcessesByProgram(program_path);
}

Result<std::unique_ptr<StreamSocket>> PosixEnv::ConnectUnixStream(std::string_view socket_path) {
  auto stream = std::make_unique<UnixStream>();
  errno = 0;
  switch (stream->Connect(socket_path)) {
    case UnixStream::ConnectResult::kConnected:
      return std::unique_ptr<StreamSocket>(
          new PosixStreamSocket(std::string(socket_path), std::move(stream)));
    case UnixStream::ConnectResult::kBusy:
      return Status::IOError("connect " + std::string(socket_path), EAGAIN);
    case UnixStream::ConnectResult::kFailed:
      break;
  }
  // Without an error number the path itself was refused (empty, too long).
  if (errno == 0) return Status::InvalidArgument("no socket path: " + std::string(socket_path));
  return Status::IOError("connect " + std::string(socket_path), errno);
}

Result<std::unique_ptr<NetworkStream>> PosixEnv::ConnectTcp(std::string_view host, uint16_t port,
                                                            int timeout_ms) {
  const std::string peer = std::string(host) + ":" + std::to_string(port);
  auto stream = std::make_unique<TcpStream>();
  errno = 0;
  switch (stream->Connect(host, port, timeout_ms)) {
    case TcpStream::Outcome::kDone:
      return std::unique_ptr<NetworkStream>(new PosixNetworkStream(peer, std::move(stream)));
    case TcpStream::Outcome::kUnresolved:
      return Status::NotFound("address of " + peer);
    case TcpStream::Outcome::kTimedOut:
      return Status::IOError("connect " + peer, ETIMEDOUT);
    default:
      return Status::IOError("connect " + peer, errno != 0 ? errno : ECONNREFUSED);
  }
}

Result<std::unique_ptr<DatagramSender>> PosixEnv::OpenDatagramSender(std::string_view host,
                                                                     uint16_t port) {
  auto sender = std::make_unique<UdpSender>();
  const std::string receiver = std::string(host) + ":" + std::to_string(port);
  errno = 0;
  if (!sender->Open(host, port)) {
    // A name that does not resolve leaves no error number.
    if (errno == 0) return Status::NotFound("address of " + receiver);
    return Status::IOError("open socket for " + receiver, errno);
  }
  return std::unique_ptr<DatagramSender>(new PosixDatagramSender(receiver, std::move(sender)));
}

Result<std::string> PosixEnv::ExchangeDatagram(std::string_view host, uint16_t port,
                                               std::string_view request, size_t answer_max,
                                               int timeout_ms) {
  const std::string receiver = std::string(host) + ":" + std::to_string(port);
  std::string answer;
  errno = 0;
  switch (UdpExchange(host, port, request, answer_max, timeout_ms, &answer)) {
    case UdpExchangeResult::kAnswered:
      return answer;
    case UdpExchangeResult::kUnresolved:
      return Status::NotFound("address of " + receiver);
    case UdpExchangeResult::kTimedOut:
      return Status::IOError("no answer from " + receiver, ETIMEDOUT);
    case UdpExchangeResult::kFailed:
      break;
  }
  return Status::IOError("exchange with " + receiver, errno != 0 ? errno : EIO);
}

Result<std::vector<std::string>> PosixEnv::LocalAddresses() {
  errno = 0;
  std::vector<std::string> addresses = ::tarvelin::LocalAddresses();
  if (addresses.empty() && errno != 0) return Status::IOError("list interface addresses", errno);
  return addresses;
}

void PosixEnv::WriteDebugLine(std::string_view line) { WriteDebugOutput(line); }

}  // namespace tarvelin
