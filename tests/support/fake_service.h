// Stand-ins for server services in tests. FakeService runs the fake_service
// program (tests/support/fake_service_main.cc) as a separate process and
// reads back the requests it recorded; InstallFakePrograms puts copies of
// it into an installation under the services' program names, for
// StartStopService to start; ListenUnixSocket gives a test a bare listener
// to drive from its own thread when a service must misbehave.
//
// What the program answers comes from files beside its socket, read at each
// request: RUN/NAME.statistics, .migration, .sessions, .history (see
// fake_service_main.cc); RUN/NAME.stubborn makes an installed copy ignore
// SIGTERM.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/session_record.h"

namespace tarvelin {

// Lower-case hex of the bytes, as the fake service records a request.
std::string HexOf(std::string_view bytes);
// The 20-byte command as the fake service records it: the five little-endian
// 32-bit values code, message, first, second, 0.
std::string CommandHex(uint32_t code, uint32_t message, uint32_t first, uint32_t second);

// A listening AF_UNIX stream socket at `path` (a stale file there is
// removed first), or -1.
int ListenUnixSocket(const std::string& path, int backlog);

// One hex line per request the service NAME of `run_dir` recorded, in
// arrival order; every request whose connection opened before the call is
// included when the service still runs.
std::vector<std::string> RecordedRequests(const std::string& run_dir, const std::string& name);

// The program names an installation's services run as.
inline constexpr const char* kServicePrograms[] = {"control", "pop3", "smtp", "im", "cal"};
// Copies the fake_service program into `install_dir` under every name of
// kServicePrograms (hard links where the file system allows); true when all
// are there.
bool InstallFakePrograms(const std::string& install_dir);
// Kills every process running one of those programs of `install_dir` and
// waits until they have ended: the clean-up of a test that started them.
void EndInstalledPrograms(const std::string& install_dir);

// The 122 bytes a service sends for one session (texts cut to capacity).
std::string SessionRecordBytes(const SessionRecord& record);

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
  std::string run_dir_;
  std::string name_;
  std::string socket_path_;
  std::string log_path_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace tarvelin
