// The summed traffic report over one domain of 100,000 user accounts, each
// with a year of daily statistics (365 records of 32 bytes) and a
// useraccess.dat; one account in ten holds two small messages, the others
// an empty mailbox folder. The installation is built once per process in a
// scratch folder (users.cfg written as a whole, about 285 MB, plus 100,000
// folders) and removed at the end, also when the benchmark is killed; the
// runs read it from a warm cache. TRAFFIC_BENCH_ACCOUNTS sets another number
// of accounts (a small fixture to profile).
// Goal: at least 50,000 accounts/s.
//   build/bench/traffic_report_bench
//   TRAFFIC_BENCH_ACCOUNTS=5000 strace -c -f build/bench/traffic_report_bench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/context.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "jobs/traffic/traffic_report.h"
#include "platform/file_system.h"
#include "folder_remover.h"
#include "sample_accounts.h"
#include "schema/config_offsets.h"
#include "store/file/stored_record.h"

namespace tarvelin {
namespace {

int AccountCount() {
  const char* text = std::getenv("TRAFFIC_BENCH_ACCOUNTS");
  const int count = text != nullptr ? std::atoi(text) : 0;
  return count > 0 ? count : 100000;
}
const int kAccounts = AccountCount();
constexpr char kDomain[] = "bench.example";
constexpr int kYear = 2026;

double FirstDay() {
  double day = 0;
  EncodeDate({kYear, 1, 1}, &day);
  return day;
}

std::string YearOfStatistics(int seed) {
  std::string bytes(365 * 32, '\0');
  auto* data = reinterpret_cast<uint8_t*>(bytes.data());
  for (int day = 0; day < 365; ++day) {
    uint8_t* record = data + day * 32;
    PutDouble(record, FirstDay() + day);
    for (int i = 0; i < 6; ++i) PutLE(record + 8 + 4 * i, 4, static_cast<uint32_t>(seed + day + i));
  }
  return bytes;
}

class BigInstallation {
 public:
  BigInstallation() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarvelin-traffic-bench-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
    remover_ = std::make_unique<FolderRemover>(path_);
    context_.api.initialised = true;
    context_.api.install_path = path_;
    context_.api.config_path = path_ + "config/";
    context_.config.record.SetText(offsets::kMailRoot, path_ + "mail/");
    context_.config.record.SetText(offsets::kLogDirectory, path_ + "logs/");
    Env& env = context_.env();
    env.CreateDirectories(context_.api.config_path + kDomain);
    context_.domains().Append(kDomain);
    WriteFileAtomic(env, path_ + "apiconst.pas", "U_Type = 0; // integer\n");
    std::string users;
    users.reserve(static_cast<size_t>(kAccounts) * kUserRecordSize);
    UserRecord stored;
    std::string access(160, '\0');
    PutDouble(reinterpret_cast<uint8_t*>(access.data()) + 16, FirstDay() + 0.5);
    for (int i = 0; i < kAccounts; ++i) {
      const UserRecord record = bench::SampleAccount(i, kDomain);
      StoredFromRecord(record, /*encipher=*/false, &stored);
      users.append(reinterpret_cast<const char*>(stored.data()), stored.size());
      const std::string folder = path_ + "mail/" + kDomain + "/" + bench::SampleAlias(i) + "/";
      env.CreateDirectories(folder);
      WriteFile(folder + "userstat.dat", YearOfStatistics(i));
      WriteFile(folder + "useraccess.dat", access);
      if (i % 10 == 0) {
        WriteFile(folder + "1.imap", std::string(2000, 'm'));
        WriteFile(folder + "2.imap", std::string(3000, 'm'));
      }
    }
    WriteFileAtomic(env, context_.api.config_path + kDomain + "/users.cfg", users);
  }
  ~BigInstallation() { std::filesystem::remove_all(path_); }

  const Context& context() const { return context_; }
  const std::string& path() const { return path_; }

 private:
  // Plain writes: the fixture need not survive a crash.
  void WriteFile(const std::string& path, const std::string& bytes) {
    Result<std::unique_ptr<WritableFile>> file =
        context_.env().NewWritableFile(path, WriteMode::kTruncate);
    if (!file.ok() || !(*file)->Append(bytes).ok() || !(*file)->Close().ok()) std::abort();
  }

  std::string path_;
  std::unique_ptr<FolderRemover> remover_;
  Context context_;
};

// Built on first use; removed when the process ends.
BigInstallation& Installation() {
  static BigInstallation installation;
  return installation;
}

void BM_SummedReportOfAYear(benchmark::State& state) {
  const BigInstallation& installation = Installation();
  double from = FirstDay(), to = 0;
  EncodeDate({kYear, 12, 31}, &to);
  const TrafficReportRequest request{.from = from, .to = to};
  const std::string output = installation.path() + "report.csv";
  for (auto _ : state) {
    const Status status = WriteTrafficReportFile(installation.context(), request, output);
    if (!status.ok()) state.SkipWithError(status.message().c_str());
  }
  state.counters["accounts/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kAccounts,
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SummedReportOfAYear)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace tarvelin
