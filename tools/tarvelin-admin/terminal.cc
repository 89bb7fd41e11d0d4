#include "terminal.h"

#include <unistd.h>

#include <algorithm>

namespace tarvelin::cli {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }
bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::string ProgressBarText(int64_t done, int64_t total) {
  constexpr int64_t kWidth = 30;
  const int64_t filled = total > 0 ? std::clamp<int64_t>(done * kWidth / total, 0, kWidth) : 0;
  return "[" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(kWidth - filled), '.') + "]";
}

}  // namespace tarvelin::cli
