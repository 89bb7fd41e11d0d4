// The server log writer's hot path: buffered lines of one kind from one
// thread, and the same with every line going straight to the file.
//   build/bench/log_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/context.h"
#include "core/logging.h"
#include "log/log_kinds.h"

namespace tarvelin {
namespace {

// A library whose log directory is a fresh temporary folder.
class LogInstallation {
 public:
  explicit LogInstallation(uint32_t buffer_size) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvelin-logbench-XXXXXX");
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    ServerConfig& record = context_.config.record;
    record.SetText(log_offsets::kLogDirectory, path_);
    record.SetByte(2869, 3);  // level of kind 0
    record.SetByte(log_offsets::kFileLoggingOff, 0);
    record.SetNumber(log_offsets::kBufferSize, 4, buffer_size);
    record.SetNumber(log_offsets::kRotationSize, 4, 0);
    record.SetByte(log_offsets::kTimeForm, 0);
    record.SetByte(log_offsets::kDebugOutput, 0);
    record.SetByte(log_offsets::kSyslogOn, 0);
  }
  ~LogInstallation() { std::filesystem::remove_all(path_); }
  const Context& context() const { return context_; }

 private:
  std::string path_;
  Context context_;
};

void BM_WriteLogBuffered(benchmark::State& state) {
  LogInstallation installation(1 << 20);
  const std::string message = "RCPT TO:<someone@example.org> 250 2.1.5 Recipient ok";
  for (auto _ : state) WriteLog(installation.context(), 0x1A2, 0, "SMTP", 1, message);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteLogBuffered);

void BM_WriteLogUnbuffered(benchmark::State& state) {
  LogInstallation installation(0);
  const std::string message = "RCPT TO:<someone@example.org> 250 2.1.5 Recipient ok";
  for (auto _ : state) WriteLog(installation.context(), 0x1A2, 0, "SMTP", 1, message);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteLogUnbuffered);

void BM_WriteLogNotWanted(benchmark::State& state) {
  LogInstallation installation(1 << 20);
  for (auto _ : state) WriteLog(installation.context(), 0x1A2, 0, "SMTP", 4, "filtered out");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteLogNotWanted);

}  // namespace
}  // namespace tarvelin
