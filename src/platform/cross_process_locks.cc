#include "platform/cross_process_locks.h"

#include <utility>

namespace tarvelin {

namespace {

std::string_view FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

CrossProcessLocks::Held::Held(Held&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), key_(std::move(other.key_)) {}

CrossProcessLocks::Held& CrossProcessLocks::Held::operator=(Held&& other) noexcept {
  if (this != &other) {
    Release();
    owner_ = std::exchange(other.owner_, nullptr);
    key_ = std::move(other.key_);
  }
  return *this;
}

CrossProcessLocks::Held::~Held() { Release(); }

void CrossProcessLocks::Held::Release() {
  if (owner_ != nullptr) std::exchange(owner_, nullptr)->Release(key_);
}

uint64_t CrossProcessLocks::OffsetOf(std::string_view name) {
  // FNV-1a, kept below 2^62 so that the offset is a valid file position.
  uint64_t hash = 14695981039346656037ULL;
  for (const char c : name) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 1099511628211ULL;
  }
  return hash & 0x3fffffffffffffffULL;
}

Result<CrossProcessLocks::Held> CrossProcessLocks::Acquire(std::string_view lock_file,
                                                           std::string_view name) {
  std::string key(lock_file);
  key.push_back('\0');
  key.append(name);
  const std::thread::id me = std::this_thread::get_id();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = held_.find(key);
    if (found != held_.end() && found->second.owner == me) {
      ++found->second.depth;
      return Held(this, std::move(key));
    }
  }
  // Another thread of this process holding the name makes the kernel wait
  // here as for another process: each acquisition is an open of its own.
  Result<std::unique_ptr<FileLock>> lock = env_.LockByte(lock_file, OffsetOf(name));
  if (!lock.ok() && lock.status().Is(StatusCode::kNotFound) && !FolderOf(lock_file).empty()) {
    TARVELIN_RETURN_IF_ERROR(env_.CreateDirectories(FolderOf(lock_file)));
    lock = env_.LockByte(lock_file, OffsetOf(name));
  }
  if (!lock.ok()) return lock.status();
  std::lock_guard<std::mutex> guard(mutex_);
  held_[key] = Entry{me, 1, std::move(*lock)};
  return Held(this, std::move(key));
}

void CrossProcessLocks::Release(const std::string& key) {
  std::unique_ptr<FileLock> released;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = held_.find(key);
    if (found == held_.end() || --found->second.depth > 0) return;
    released = std::move(found->second.lock);
    held_.erase(found);
  }
}

}  // namespace tarvelin
