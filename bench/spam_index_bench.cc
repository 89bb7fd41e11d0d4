// SpamIndexNow for every account of a domain: 1,000 accounts set for
// indexing (IMAP layout), each with 50 unclassified messages of 2 to 6 KB in
// "inbox/" and 50 in "~spam/". Each message is read, rewritten with its
// X-AntiSpam-Status header into a new file renamed over it and copied into
// the index queue; the figure is messages classified per second (goal:
// 20,000/s). The fixture (about 400 MB with the copies) is made once in a
// scratch folder under the temporary directory and removed at the end, by a
// watcher process also when the benchmark is killed.
//   build/bench/spam_index_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/accounts/account_operations.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "jobs/antispam/spam_index.h"
#include "folder_remover.h"
#include "sample_accounts.h"

namespace tarvelin {
namespace {

constexpr int kAccounts = 1000;
constexpr int kMessagesPerFolder = 50;
constexpr int kIndexFlagOffset = 764;  // account setting 63

std::string TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvelin-bench-XXXXXX");
  return std::string(mkdtemp(pattern.data())) + "/";
}

std::string Message(int n, std::mt19937& random) {
  std::string text = "Received: from mx" + std::to_string(n % 97) +
                     ".example.net by mail.example.org\r\nFrom: <sender" + std::to_string(n) +
                     "@example.net>\r\nTo: <user@example.org>\r\nSubject: message " +
                     std::to_string(n) + "\r\nDate: Fri, 11 Dec 2026 08:00:00 +0000\r\n\r\n";
  const size_t size = 2048 + random() % 4096;
  while (text.size() < size) {
    text.append(20 + random() % 60, static_cast<char>('a' + random() % 26));
    text += "\r\n";
  }
  return text;
}

void BM_SpamIndexDomain(benchmark::State& state) {
  const std::string root = TempFolder();
  const FolderRemover remover(root);
  const std::string install = root + "inst/";
  Context context;
  {
    Context creator;
    if (!CreateInstallation(creator, install, {"example.org"}).ok() ||
        !Init(context, install.c_str()).ok()) {
      state.SkipWithError("no installation");
      return;
    }
  }
  std::mt19937 random(11);
  for (int i = 0; i < kAccounts; ++i) {
    UserRecord record = bench::SampleAccount(i, "example.org");
    record[kIndexFlagOffset] = 1;
    if (!AddAccount(context, "example.org", record, "").ok()) {
      state.SkipWithError("account not added");
      return;
    }
    const std::string box = install + "mail/example.org/" + bench::SampleAlias(i) + "/";
    for (const char* folder : {"inbox/", "~spam/"}) {
      std::filesystem::create_directories(box + folder);
      for (int m = 0; m < kMessagesPerFolder; ++m) {
        std::ofstream(box + folder + std::to_string(m) + (folder[0] == 'i' ? ".imap" : ".tmp"),
                      std::ios::binary)
            << Message(m, random);
      }
    }
  }

  int64_t classified = 0;
  for (auto _ : state) {
    SpamIndexTally tally;
    if (!IndexDomainSpam(context, "example.org", &tally).ok() || tally.failed != 0) {
      state.SkipWithError("indexing failed");
      break;
    }
    classified += tally.classified;
  }
  state.SetItemsProcessed(classified);
  state.counters["messages_per_s"] =
      benchmark::Counter(static_cast<double>(classified), benchmark::Counter::kIsRate);
}
// One pass: afterwards every message is classified and a second pass
// would only read.
BENCHMARK(BM_SpamIndexDomain)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tarvelin
