// The service requests against an in-process responder on a local socket:
// what one statistics poll and one sessions listing cost end to end.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/posix_env.h"
#include "services/service_requests.h"
#include "services/session_record.h"

namespace tarvelin {
namespace {

// Serves TarvelinPOP3 in a scratch run directory: statistics get 120
// bytes, sessions the length-prefixed `sessions` answer.
class Responder {
 public:
  explicit Responder(std::string sessions) : sessions_(std::move(sessions)) {
    char pattern[] = "/tmp/tarvelin-bench-XXXXXX";
    run_dir_ = std::string(::mkdtemp(pattern)) + "/";
    std::ofstream(run_dir_ + "TarvelinPOP3.pid") << ::getpid() << "\n";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = run_dir_ + "TarvelinPOP3.sock";
    std::memcpy(address.sun_path, path.data(), path.size());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(listener_, 64);
    thread_ = std::thread([this] { Serve(); });
  }
  ~Responder() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
    std::filesystem::remove_all(run_dir_);
  }
  const std::string& run_dir() const { return run_dir_; }

 private:
  void Serve() {
    const std::string statistics(kStatisticsBlockSize, '\x01');
    std::string prefixed(4, '\0');
    const uint32_t count = static_cast<uint32_t>(sessions_.size());
    for (int i = 0; i < 4; ++i) prefixed[i] = static_cast<char>(count >> (8 * i));
    prefixed += sessions_;
    while (!stop_) {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      char request[256];
      const ssize_t n = ::recv(fd, request, sizeof(request), 0);
      const std::string& answer = n == 5 ? statistics : prefixed;
      for (size_t sent = 0; n > 0 && sent < answer.size();) {
        const ssize_t m = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (m <= 0) break;
        sent += static_cast<size_t>(m);
      }
      ::close(fd);
    }
  }

  std::string sessions_;
  std::string run_dir_;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string Sessions(int64_t count) {
  std::string record(kSessionRecordSize, '\0');
  record[kSessionIpOffset] = 9;
  std::memcpy(&record[kSessionIpOffset + 1], "192.0.2.1", 9);
  std::string all;
  for (int64_t i = 0; i < count; ++i) all += record;
  return all;
}

void BM_StatisticsRequest(benchmark::State& state) {
  Responder responder("");
  PosixEnv env;
  const ServiceChannel channel(env, responder.run_dir());
  StatisticsBlock block;
  for (auto _ : state) {
    if (!RequestStatistics(channel, 1, &block)) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(block);
  }
}
BENCHMARK(BM_StatisticsRequest);

void BM_SessionsRequest(benchmark::State& state) {
  Responder responder(Sessions(state.range(0)));
  PosixEnv env;
  const ServiceChannel channel(env, responder.run_dir());
  for (auto _ : state) {
    const std::optional<std::string> answer = RequestSessions(channel, 1, false);
    if (!answer) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(ParseSessionRecords(*answer));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SessionsRequest)->Arg(10)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace tarvelin
