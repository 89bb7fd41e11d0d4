#include "store/file/mailbox_index.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "store/login_name.h"
#include "schema/user_record_offsets.h"
#include "foundation/scramble.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

constexpr int kRecordsPerRead = 256;
constexpr int kMailboxCapacity = 127;
// Paths whose index is kept; more are dropped all at once.
constexpr size_t kKeptPaths = 64;

// The lower-cased mailbox name of a stored user account; empty for any
// other type.
std::string StoredMailboxName(const uint8_t* stored) {
  uint8_t type = stored[user_offsets::kAccountType];
  ScrambleBytes(&type, 1, user_offsets::kAccountType);
  if (type != kUserAccount) return {};
  uint8_t field[1 + kMailboxCapacity];
  std::memcpy(field, stored + user_offsets::kMailbox, sizeof field);
  ScrambleBytes(field, sizeof field, user_offsets::kMailbox);
  std::string name(reinterpret_cast<const char*>(field + 1),
                   std::min<size_t>(field[0], kMailboxCapacity));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return name;
}

}  // namespace

void MailboxIndexes::Remember(const std::string& path, std::shared_ptr<const MailboxIndex> index) {
  std::lock_guard<std::mutex> lock(lock_);
  if (by_path_.size() >= kKeptPaths && by_path_.count(path) == 0) by_path_.clear();
  by_path_[path] = std::move(index);
}

std::vector<int> MailboxIndex::PositionsOf(const std::string& lower_name) const {
  const auto found = positions_.find(lower_name);
  return found == positions_.end() ? std::vector<int>() : found->second;
}

std::shared_ptr<const MailboxIndex> MailboxIndexes::ForFile(const std::string& path) {
  const FileStamp current = env_.GetFileStamp(path).value_or(FileStamp{});
  {
    std::lock_guard<std::mutex> lock(lock_);
    const auto found = by_path_.find(path);
    if (found != by_path_.end() && found->second->stamp() == current) return found->second;
  }
  StampedFile file;
  if (!file.OpenFile(env_, path).ok()) return nullptr;
  auto index = std::make_shared<MailboxIndex>();
  index->stamp_ = file.stamp();
  const int64_t total = file.stamp().size / kUserRecordSize;
  std::vector<uint8_t> buffer(static_cast<size_t>(kRecordsPerRead) * kUserRecordSize);
  for (int64_t position = 0; position < total;) {
    const int64_t wanted = std::min<int64_t>(kRecordsPerRead, total - position);
    const int64_t got = file.ReadAt(position * kUserRecordSize, buffer.data(),
                                    static_cast<size_t>(wanted) * kUserRecordSize);
    if (got != wanted * kUserRecordSize) return nullptr;
    for (int64_t i = 0; i < wanted; ++i) {
      std::string name = StoredMailboxName(buffer.data() + i * kUserRecordSize);
      if (!name.empty()) index->positions_[name].push_back(static_cast<int>(position + i));
    }
    position += wanted;
  }
  index->record_count_ = static_cast<int>(total);
  Remember(path, index);
  return index;
}

void MailboxIndexes::Appended(const std::string& path, const FileStamp& before,
                              const FileStamp& after, const UserRecord& record, int position) {
  std::shared_ptr<const MailboxIndex> known;
  {
    std::lock_guard<std::mutex> lock(lock_);
    const auto found = by_path_.find(path);
    if (found == by_path_.end()) return;
    known = found->second;
    by_path_.erase(found);
  }
  if (!(known->stamp() == before) || known->record_count_ != position) return;
  // Nobody else holds it once it left the registry: it is changed in place
  // rather than copied, which would cost a pass over every name.
  std::shared_ptr<MailboxIndex> extended = known.use_count() == 1
                                               ? std::const_pointer_cast<MailboxIndex>(known)
                                               : std::make_shared<MailboxIndex>(*known);
  known.reset();
  extended->stamp_ = after;
  extended->record_count_ = position + 1;
  if (AccountTypeOf(record) == kUserAccount) {
    extended->positions_[MailboxNameOf(record)].push_back(position);
  }
  Remember(path, std::move(extended));
}

}  // namespace tarvelin
