// Mailbox layout conversion: 1,000 messages of 50 KB, POP3 to IMAP and back
// (each direction counted as the bytes it reads), and the two dot-stuffing
// filters alone on 64 KB blocks.
//   build/bench/mailbox_conversion_bench
// New message files reach the disk before the old ones go, with one flush of
// the file system per folder and 256 files, so the figures include flushes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "mailstore/dot_stuffing.h"
#include "mailstore/mailbox_conversion.h"
#include "mailstore/message_conversion.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"

namespace tarvelin {
namespace {

constexpr int kMessages = 1000;
constexpr size_t kMessageSize = 50 * 1024;

std::string TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvelin-bench-XXXXXX");
  return std::string(mkdtemp(pattern.data())) + "/";
}

// Mail-like text: lines of 20 to 100 bytes, one in eight beginning with a
// dot.
std::string MessageText(size_t size, std::mt19937& random) {
  std::string text;
  while (text.size() < size) {
    if (random() % 8 == 0) text += '.';
    text.append(20 + random() % 80, static_cast<char>('a' + random() % 26));
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

void BM_ConvertMailboxBothWays(benchmark::State& state) {
  const std::string root = TempFolder();
  std::mt19937 random(7);
  DotStuffer stuffer;
  int64_t pop3_bytes = 0;
  PosixEnv env;
  env.CreateDirectories(root + "box/");
  for (int i = 0; i < kMessages; ++i) {
    std::string pop3;
    stuffer.Filter(MessageText(kMessageSize, random), &pop3);
    pop3 += kPop3EndMarker;
    WriteFileAtomic(env, root + "box/" + std::to_string(i) + ".tmp", pop3);
    pop3_bytes += static_cast<int64_t>(pop3.size());
  }
  const MailboxConversion to_imap{.from_imap = false, .probe = false, .recursive = false};
  const MailboxConversion to_pop3{.from_imap = true, .probe = false, .recursive = false};
  for (auto _ : state) {
    if (!ConvertMailbox(env, root, "box", to_imap) || !ConvertMailbox(env, root, "box", to_pop3)) {
      state.SkipWithError("nothing converted");
      break;
    }
  }
  const int64_t imap_bytes = kMessages * static_cast<int64_t>(kMessageSize);
  state.SetBytesProcessed(state.iterations() * (pop3_bytes + imap_bytes));
  state.SetItemsProcessed(state.iterations() * 2 * kMessages);
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_ConvertMailboxBothWays)->Unit(benchmark::kMillisecond)->UseRealTime();

template <typename Filter>
void BM_Filter(benchmark::State& state) {
  std::mt19937 random(7);
  const std::string block = MessageText(kMessageBlockSize, random);
  std::string out;
  out.reserve(2 * kMessageBlockSize);
  Filter filter;
  for (auto _ : state) {
    out.clear();
    filter.Filter(block, &out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_Filter<DotStuffer>);
BENCHMARK(BM_Filter<DotUnstuffer>);

}  // namespace
}  // namespace tarvelin
