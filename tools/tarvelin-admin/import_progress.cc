#include "import_progress.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "terminal.h"

namespace tarvelin::cli {

namespace {

constexpr auto kEverySecond = std::chrono::seconds(1);

}  // namespace

ImportProgress::ImportProgress(int total)
    : terminal_(StandardErrorIsTerminal()), total_(total), ticker_([this] { Tick(); }) {}

ImportProgress::~ImportProgress() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  ticker_.join();
  if (drawn_) std::fputs("\r\033[K", stderr);
  if (!terminal_ && lines_ > 0) std::fprintf(stderr, "%d/%d\n", done_.load(), total_);
  std::fflush(stderr);
}

void ImportProgress::Show(int done) {
  done_.store(done);
  if (!terminal_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Draw(done, /*force=*/false);
}

void ImportProgress::Tick() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!wake_.wait_for(lock, kEverySecond, [this] { return stopping_; })) {
    Draw(done_.load(), /*force=*/true);
  }
}

void ImportProgress::Draw(int done, bool force) {
  if (!terminal_) {
    std::fprintf(stderr, "%d/%d\n", done, total_);
    std::fflush(stderr);
    ++lines_;
    return;
  }
  const std::string bar = ProgressBarText(done, total_);
  // Redraw when the bar grows or now and then for the count, not per line.
  if (!force && drawn_ && bar == last_bar_ && done % 64 != 0 && done != total_) return;
  last_bar_ = bar;
  drawn_ = true;
  std::string line =
      "\r" + bar + " " + std::to_string(done) + "/" + std::to_string(total_) + "\033[K";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace tarvelin::cli
