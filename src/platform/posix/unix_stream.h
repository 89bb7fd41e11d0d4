// A connected AF_UNIX stream socket: the transport of the service channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

class UnixStream {
 public:
  enum class ConnectResult { kConnected, kBusy, kFailed };

  UnixStream() = default;
  ~UnixStream();
  UnixStream(const UnixStream&) = delete;
  UnixStream& operator=(const UnixStream&) = delete;

  // kBusy when the listener's queue is full (the caller may wait and retry).
  ConnectResult Connect(std::string_view socket_path);
  bool is_open() const { return fd_ >= 0; }
  void Close();

  // Writes everything, repeating partial writes; false when a write moves no
  // byte or fails.
  bool WriteAll(const void* data, size_t length);
  // One read of at most `max` bytes, waiting up to `timeout_ms`; -1 on error
  // or time-out, 0 at end of stream.
  int64_t ReadSome(void* buffer, size_t max, int timeout_ms);
  // Reads until `length` bytes arrived; false when the stream ends, fails or
  // times out first.
  bool ReadExact(void* buffer, size_t length, int timeout_ms);

 private:
  int fd_ = -1;
};

}  // namespace tarvelin
