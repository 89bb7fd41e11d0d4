#include "config/path_dat.h"

#include "config/config_line.h"
#include "foundation/text.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

bool IsDirectoryLine(int n) { return n == 1 || n == 2 || (n >= 6 && n <= 9); }

std::string LinePart(const PathDat& entries, int n, int part) {
  const std::string& text = entries.line(n);
  const size_t bar = text.find('|');
  if (part == 0) return text.substr(0, bar);
  return bar == std::string::npos ? std::string() : text.substr(bar + 1);
}

}  // namespace

void ReadPathDat(Env& env, std::string_view install_path, PathDat* entries) {
  const std::string dat = std::string(install_path) + "path.dat";
  const std::string cfg = std::string(install_path) + "path.cfg";
  if (FileExists(env, cfg)) env.RenameFile(cfg, dat, /*replace=*/false);

  std::string content;
  if (!env.ReadFile(dat, &content).ok()) return;
  const std::vector<std::string> lines = SplitLines(content);
  for (int n = 1; n <= PathDat::kLines && n <= static_cast<int>(lines.size()); ++n) {
    std::string value = CleanConfigLine(lines[static_cast<size_t>(n - 1)]);
    if (value.empty()) continue;
    if (IsDirectoryLine(n)) value = WithTrailingSeparator(value);
    entries->line(n) = CutTo(value, 255);
  }
}

void MergePathDat(const PathDat& found, PathDat* held) {
  for (int n = 1; n <= PathDat::kLines; ++n) {
    if (!found.line(n).empty()) held->line(n) = found.line(n);
  }
}

std::string PathDatServerAddresses(const PathDat& entries) {
  return LinePart(entries, kPathDatAddresses, 0);
}

std::string PathDatOutgoingBind(const PathDat& entries) {
  return LinePart(entries, kPathDatAddresses, 1);
}

}  // namespace tarvelin
