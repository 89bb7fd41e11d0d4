// Stand-ins for server services in tests. FakeService runs the fake_service
// program (tests/support/fake_service_main.cc) as a separate process and
// reads back the requests it recorded; ListenUnixSocket gives a test a bare
// listener to drive from its own thread when a service must misbehave.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// Lower-case hex of the bytes, as the fake service records a request.
std::string HexOf(std::string_view bytes);
// The 20-byte command as the fake service records it: the five little-endian
// 32-bit values code, message, first, second, 0.
std::string CommandHex(uint32_t code, uint32_t message, uint32_t first, uint32_t second);

// A listening AF_UNIX stream socket at `path` (a stale file there is
// removed first), or -1.
int ListenUnixSocket(const std::string& path, int backlog);

class FakeService {
 public:
  // Starts the program serving RunDir/<name>.sock with RunDir/<name>.pid and
  // waits until the socket accepts; requests recorded by an earlier instance
  // of the same name are dropped. The program is $TARVELIN_FAKE_SERVICE
  // when set, else the one built beside the tests. `answer` is the value
  // returned to requests that want one.
  FakeService(std::string run_dir, std::string name, int32_t answer = 1);
  ~FakeService();
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  // True when the program started and accepts connections.
  bool ready() const { return ready_; }

  // One hex line per request received so far, in arrival order. Every
  // request whose connection opened before the call is included.
  std::vector<std::string> Requests() const;

  // Terminates the program (SIGTERM, then waits for it); it removes its pid
  // file and socket. Safe to call twice.
  void Stop();

 private:
  // Opens a connection that sends nothing and waits until the program closes
  // it: the program serves in order, so every earlier request is logged.
  bool Sync() const;

  std::string socket_path_;
  std::string log_path_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace tarvelin
