#include "jobs/antispam/spam_message_indexer.h"

#include <algorithm>
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

// The block at `offset`, bounded by the size the file was opened with so
// that a message that fits takes one read; `last` tells whether the
// message ends with it. A message changed meanwhile fails the stamp check
// before anything is replaced.
bool ReadBlock(const ReadableFile& file, int64_t offset, std::string* block, bool* last) {
  const int64_t size = file.stamp().size;
  const size_t want =
      offset >= size ? 0 : static_cast<size_t>(std::min<int64_t>(kBlockSize, size - offset));
  block->resize(want);
  if (want > 0) {
    const Result<size_t> got = file.ReadAt(offset, block->data(), want);
    if (!got.ok()) return false;
    block->resize(*got);
  }
  *last = block->size() < want || offset + static_cast<int64_t>(block->size()) >= size;
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
  // Entries are looked at through the open folder: one lookup of a name
  // and no stat of entries that are no messages.
  Result<std::unique_ptr<Directory>> directory = env_.OpenDirectory(folder, Links::kFollow);
  if (!directory.ok() || !(*directory)->ListNames(&names_).ok()) return;
  std::string path(folder);
  const size_t folder_length = path.size();
  for (const std::string& name : names_) {
    if (!IsMessageFileName(name)) continue;
    // A link could lead the rewrite and the copy to a file outside the
    // mailbox (and put that file's bytes into it): only regular files.
    const Result<PathInfo> info = (*directory)->GetInfoOf(name, Links::kNoFollow);
    if (!info.ok() || info->kind != FileKind::kRegular) continue;
    path.resize(folder_length);
    path += name;
    ++tally->messages;
    switch (IndexMessage(path, name, status)) {
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

const std::string* SpamMessageIndexer::QueueFolder(int status, int previous) {
  const size_t which = previous < 0 ? (status == 1 ? 0 : 1) : (status == 1 ? 2 : 3);
  std::string& folder = queue_folders_[which];
  if (folder.empty()) {
    std::string made = index_root_ + std::string(kQueueNames[which]) + "/";
    if (!env_.CreateDirectories(made).ok()) return nullptr;
    folder = std::move(made);
  }
  return &folder;
}

SpamMessageIndexer::Outcome SpamMessageIndexer::IndexMessage(const std::string& path,
                                                             std::string_view name, int status) {
  Result<std::unique_ptr<ReadableFile>> opened = env_.NewReadableFile(path);
  if (!opened.ok()) return Outcome::kFailed;
  const ReadableFile& file = **opened;

  // What the message carries now: its header block, read up to its end.
  SpamStatusHeaderFilter scan(status);
  int64_t offset = 0;
  bool last = false;
  do {
    if (!ReadBlock(file, offset, &block_, &last)) return Outcome::kFailed;
    scan.Feed(block_, nullptr);
    offset += static_cast<int64_t>(block_.size());
  } while (!scan.header_block_ended() && !last);
  if (!scan.header_block_ended()) scan.Finish(nullptr);
  // The scan stopped in the first block, which is still at hand.
  const bool first_block_read = offset == static_cast<int64_t>(block_.size());
  const std::optional<long> found = scan.first_status();
  if (found && *found == status) return Outcome::kUntouched;
  const int previous = found && (*found == 0 || *found == 1) ? static_cast<int>(*found) : -1;

  const std::string* queue = QueueFolder(status, previous);
  if (queue == nullptr) return Outcome::kFailed;
  PendingFiles pending{env_, {}, {}};
  Result<TempFile> message = env_.NewTempFile(path + ".tmp.");
  if (!message.ok()) return Outcome::kFailed;
  pending.message = std::move(*message);
  const std::string copy_path = *queue + std::string(name);
  Result<TempFile> copy = env_.NewTempFile(copy_path + ".tmp.");
  if (!copy.ok()) return Outcome::kFailed;
  pending.copy = std::move(*copy);

  SpamStatusHeaderFilter filter(status);
  offset = 0;
  while (true) {
    if ((offset > 0 || !first_block_read) && !ReadBlock(file, offset, &block_, &last)) {
      return Outcome::kFailed;
    }
    out_.clear();
    filter.Feed(block_, &out_);
    offset += static_cast<int64_t>(block_.size());
    if (last) filter.Finish(&out_);
    if (!pending.message->file->Append(out_).ok() || !pending.copy->file->Append(out_).ok()) {
      return Outcome::kFailed;
    }
    if (last) break;
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
