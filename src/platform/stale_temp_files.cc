#include "platform/stale_temp_files.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/os_path.h"

namespace tarvelin {

namespace {

bool AllOf(std::string_view text, std::string_view allowed) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (allowed.find(c) == std::string_view::npos) return false;
  }
  return true;
}

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kHexDigits = "0123456789abcdef";

// "<pid>.<hex nonce>.<number>" as Env::NewTempFile appends it: the pid,
// or -1.
int64_t ProcessOfSuffix(std::string_view suffix) {
  const size_t first = suffix.find('.');
  if (first == std::string_view::npos) return -1;
  const size_t second = suffix.find('.', first + 1);
  if (second == std::string_view::npos) return -1;
  const std::string_view pid = suffix.substr(0, first);
  const std::string_view nonce = suffix.substr(first + 1, second - first - 1);
  const std::string_view number = suffix.substr(second + 1);
  if (pid.size() > 10 || !AllOf(pid, kDigits) || !AllOf(nonce, kHexDigits) ||
      !AllOf(number, kDigits)) {
    return -1;
  }
  return std::stoll(std::string(pid));
}

// Calls `stale` for each stale temporary file of `directory` (whose path is
// `path`, ending with a separator) and, `depth` levels down, of its
// sub-folders, through the directory that holds it.
using StaleFile = std::function<void(Directory& directory, const std::string& name,
                                     const std::string& path, int64_t process)>;
void Sweep(Env& env, Directory& directory, const std::string& path, int depth,
           const StaleFile& stale) {
  std::vector<std::string> names;
  if (!directory.ListNames(&names).ok()) return;
  for (const std::string& name : names) {
    const Result<PathInfo> info = directory.GetInfoOf(name, Links::kNoFollow);
    if (!info.ok()) continue;
    if (info->kind == FileKind::kDirectory) {
      if (depth <= 0) continue;
      Result<std::unique_ptr<Directory>> child = directory.OpenChild(name);
      if (child.ok()) Sweep(env, **child, path + name + kPathSeparator, depth - 1, stale);
      continue;
    }
    if (info->kind != FileKind::kRegular) continue;
    const int64_t pid = TempFileProcess(name);
    if (pid <= 0 || env.ProcessRunning(pid)) continue;
    stale(directory, name, path + name, pid);
  }
}

void SweepFolder(Env& env, std::string_view folder, int depth, const StaleFile& stale) {
  Result<std::unique_ptr<Directory>> opened = env.OpenDirectory(folder, Links::kFollow);
  if (!opened.ok()) return;
  Sweep(env, **opened, WithTrailingSeparator(folder), depth, stale);
}

}  // namespace

int64_t TempFileProcess(std::string_view name) {
  if (name.starts_with(kAtomicTempPrefix)) {
    return ProcessOfSuffix(name.substr(kAtomicTempPrefix.size()));
  }
  // The target's own name may hold the infix too: the last one counts.
  const size_t at = name.rfind(kReplaceTempInfix);
  if (at != std::string_view::npos && at > 0) {
    return ProcessOfSuffix(name.substr(at + kReplaceTempInfix.size()));
  }
  return -1;
}

int RemoveStaleTempFiles(Env& env, std::string_view folder, int depth) {
  int removed = 0;
  SweepFolder(env, folder, depth,
              [&](Directory& directory, const std::string& name, const std::string&, int64_t) {
                if (directory.RemoveEntry(name, /*is_directory=*/false).ok()) ++removed;
              });
  return removed;
}

void FindStaleTempFiles(
    Env& env, std::string_view folder, int depth,
    const std::function<void(const std::string& path, int64_t process)>& visit) {
  SweepFolder(env, folder, depth,
              [&](Directory&, const std::string&, const std::string& path, int64_t process) {
                visit(path, process);
              });
}

}  // namespace tarvelin
