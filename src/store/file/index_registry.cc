#include "store/file/index_registry.h"

#include <thread>
#include <utility>


namespace tarvelin {

namespace {

// Closing the last handle of a replaced users.cfg makes the kernel drop the
// cached pages of that version, tens of milliseconds for a large file: it
// is done off the caller's path.
void LetGo(std::shared_ptr<const StampedFile> file) {
  if (file == nullptr || file.use_count() > 1) return;
  std::thread([held = std::move(file)]() mutable { held.reset(); }).detach();
}

}  // namespace

IndexedFile IndexRegistry::Find(const std::string& path, const FileStamp& stamp) {
  ScopedLock lock(locks_, LockId::kCaches);
  const auto found = by_path_.find(path);
  if (found == by_path_.end() || !(found->second.indexed.index->stamp() == stamp)) return {};
  Entry& entry = found->second;
  if (entry.indexed.file != nullptr) open_.splice(open_.begin(), open_, entry.open_position);
  return entry.indexed;
}

IndexedFile IndexRegistry::Open(const std::string& path) {
  auto file = std::make_shared<StampedFile>();
  if (!file->OpenFile(env_, path).ok()) {
    Forget(path);
    return {};
  }
  IndexedFile known = Find(path, file->stamp());
  if (known.index != nullptr) {
    if (known.file == nullptr) {
      ScopedLock lock(locks_, LockId::kCaches);
      const auto found = by_path_.find(path);
      if (found != by_path_.end() && found->second.indexed.index == known.index &&
          found->second.indexed.file == nullptr) {
        found->second.indexed.file = file;
        Hold(path, found->second);
      }
    }
    return {known.index, file};
  }
  // Built outside the lock: a pass over a large file must not stall the
  // caches of other domains.
  IndexedFile built{AliasIndex::Build(*file), file};
  // An index cut short by a read error serves this call only.
  if (built.index->complete()) {
    ScopedLock lock(locks_, LockId::kCaches);
    Entry& entry = by_path_[path];
    Release(entry);
    entry.indexed = built;
    Hold(path, entry);
  }
  return built;
}

void IndexRegistry::Appended(const std::string& path, const FileStamp& before,
                             const FileStamp& after, std::string_view alias_list, int position) {
  std::shared_ptr<const AliasIndex> known;
  {
    ScopedLock lock(locks_, LockId::kCaches);
    const auto found = by_path_.find(path);
    if (found != by_path_.end()) known = found->second.indexed.index;
  }
  if (known == nullptr || !(known->stamp() == before) || !known->complete() ||
      known->record_count() != position) {
    Forget(path);
    return;
  }
  // Copied outside the lock, like a build.
  std::shared_ptr<const AliasIndex> extended = known->WithAppended(alias_list, position, after);
  ScopedLock lock(locks_, LockId::kCaches);
  Entry& entry = by_path_[path];
  Release(entry);
  entry.indexed = IndexedFile{std::move(extended), nullptr};
}

void IndexRegistry::Forget(const std::string& path) {
  ScopedLock lock(locks_, LockId::kCaches);
  const auto found = by_path_.find(path);
  if (found == by_path_.end()) return;
  Release(found->second);
  by_path_.erase(found);
}

void IndexRegistry::Hold(const std::string& path, Entry& entry) {
  open_.push_front(path);
  entry.open_position = open_.begin();
  if (open_.size() <= kOpenFiles) return;
  const auto oldest = by_path_.find(open_.back());
  if (oldest != by_path_.end()) LetGo(std::exchange(oldest->second.indexed.file, nullptr));
  open_.pop_back();
}

void IndexRegistry::Release(Entry& entry) {
  if (entry.indexed.file == nullptr) return;
  open_.erase(entry.open_position);
  LetGo(std::exchange(entry.indexed.file, nullptr));
}

}  // namespace tarvelin
