#include "jobs/antispam/spam_message_indexer.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/text.h"
#include "mailstore/spam_status_header.h"

namespace tarvelin {

namespace {

// Messages stream through in blocks of this size; most fit in one.
constexpr size_t kBlockSize = 64 * 1024;

constexpr std::array<std::string_view, 4> kQueueNames = {"spam", "genuine", "genuine-spam",
                                                         "spam-genuine"};

// The two new files of one message, removed unless committed.
struct PendingFiles {
  Env& env;
  std::optional<TempFile> message;
  std::optional<TempFile> copy;

  ~PendingFiles() {
    if (message) (void)env.RemoveFile(message->path);
    if (copy) (void)env.RemoveFile(copy->path);
  }
};

bool Read(const ReadableFile& file, int64_t offset, std::string* block) {
  block->resize(kBlockSize);
  const Result<size_t> got = file.ReadAt(offset, block->data(), kBlockSize);
  if (!got.ok()) return false;
  block->resize(*got);
  return true;
}

}  // namespace

bool IsMessageFileName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot);
  return EqualsNoCase(extension, ".tmp") || EqualsNoCase(extension, ".imap");
}

SpamMessageIndexer::SpamMessageIndexer(Env& env, std::string index_root)
    : env_(env), index_root_(std::move(index_root)) {
  block_.reserve(kBlockSize);
  out_.reserve(kBlockSize + 256);
}

void SpamMessageIndexer::IndexFolder(std::string_view folder, int status, SpamIndexTally* tally) {
  std::vector<DirectoryEntry> entries;
  if (!env_.ListDirectory(folder, &entries).ok()) return;
  std::string path(folder);
  const size_t folder_length = path.size();
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory || !IsMessageFileName(entry.name)) continue;
    path.resize(folder_length);
    path += entry.name;
    // A link could lead the rewrite and the copy to a file outside the
    // mailbox (and put that file's bytes into it): only regular files.
    const Result<PathInfo> info = env_.GetPathInfo(path, Links::kNoFollow);
    if (!info.ok() || info->kind != FileKind::kRegular) continue;
    ++tally->messages;
    switch (IndexMessage(path, entry.name, status)) {
      case Outcome::kUntouched:
        break;
      case Outcome::kClassified:
        ++tally->classified;
        break;
      case Outcome::kFailed:
        ++tally->failed;
        break;
    }
  }
}

std::string SpamMessageIndexer::QueueFolder(int status, int previous) {
  const size_t which = previous < 0 ? (status == 1 ? 0 : 1) : (status == 1 ? 2 : 3);
  std::string folder = index_root_ + std::string(kQueueNames[which]) + "/";
  if (!queue_made_[which]) {
    if (!env_.CreateDirectories(folder).ok()) return "";
    queue_made_[which] = true;
  }
  return folder;
}

SpamMessageIndexer::Outcome SpamMessageIndexer::IndexMessage(const std::string& path,
                                                             std::string_view name, int status) {
  Result<std::unique_ptr<ReadableFile>> opened = env_.NewReadableFile(path);
  if (!opened.ok()) return Outcome::kFailed;
  const ReadableFile& file = **opened;

  // What the message carries now: its header block, read up to its end.
  SpamStatusHeaderFilter scan(status);
  int64_t offset = 0;
  bool first_block_only = true;
  while (true) {
    if (!Read(file, offset, &block_)) return Outcome::kFailed;
    scan.Feed(block_, nullptr);
    offset += static_cast<int64_t>(block_.size());
    if (scan.header_block_ended()) break;
    if (block_.size() < kBlockSize) {
      scan.Finish(nullptr);
      break;
    }
    first_block_only = false;
  }
  const std::optional<long> found = scan.first_status();
  if (found && *found == status) return Outcome::kUntouched;
  const int previous = found && (*found == 0 || *found == 1) ? static_cast<int>(*found) : -1;

  const std::string queue = QueueFolder(status, previous);
  if (queue.empty()) return Outcome::kFailed;
  PendingFiles pending{env_, {}, {}};
  Result<TempFile> message = env_.NewTempFile(path + ".tmp.");
  if (!message.ok()) return Outcome::kFailed;
  pending.message = std::move(*message);
  const std::string copy_path = queue + std::string(name);
  Result<TempFile> copy = env_.NewTempFile(copy_path + ".tmp.");
  if (!copy.ok()) return Outcome::kFailed;
  pending.copy = std::move(*copy);

  SpamStatusHeaderFilter filter(status);
  offset = 0;
  while (true) {
    if ((offset > 0 || !first_block_only) && !Read(file, offset, &block_)) return Outcome::kFailed;
    out_.clear();
    filter.Feed(block_, &out_);
    offset += static_cast<int64_t>(block_.size());
    const bool last = block_.size() < kBlockSize;
    if (last) filter.Finish(&out_);
    if (!pending.message->file->Append(out_).ok() || !pending.copy->file->Append(out_).ok()) {
      return Outcome::kFailed;
    }
    if (last) break;
    first_block_only = false;
  }
  if (!pending.message->file->Close().ok() || !pending.copy->file->Close().ok()) {
    return Outcome::kFailed;
  }
  if (!env_.SetModificationTime(pending.message->path, file.stamp().mtime_ns).ok()) {
    return Outcome::kFailed;
  }
  // Another program changed or removed the message meanwhile: its version
  // wins; the next run indexes it.
  const Result<FileStamp> now = env_.GetFileStamp(path);
  if (!now.ok() || !(*now == file.stamp())) return Outcome::kFailed;

  if (!env_.RenameFile(pending.copy->path, copy_path, /*replace=*/true).ok()) {
    return Outcome::kFailed;
  }
  pending.copy.reset();
  if (!env_.RenameFile(pending.message->path, path, /*replace=*/true).ok()) {
    return Outcome::kFailed;
  }
  pending.message.reset();
  return Outcome::kClassified;
}

}  // namespace tarvelin
