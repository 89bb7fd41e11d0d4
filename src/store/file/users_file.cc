#include "store/file/users_file.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "foundation/list_match.h"
#include "foundation/scramble.h"
#include "platform/directory_lock.h"
#include "platform/file_system.h"
#include "platform/record_append.h"
#include "platform/replacement_file.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

int RecordsIn(const StampedFile& file) {
  return static_cast<int>(std::min<int64_t>(file.stamp().size / kUserRecordSize, INT32_MAX));
}

// Copies the bytes [from, to) of `source` into `target`, whole records in
// chunks of whole records, collecting the groups it meets into `groups`.
bool CopyRange(const StampedFile& source, int64_t from, int64_t to, ReplacementFile& target,
               std::vector<UserRecord>* groups = nullptr) {
  constexpr int64_t kChunk = int64_t{368} * kUserRecordSize;  // about 1 MB
  std::vector<uint8_t> buffer(
      static_cast<size_t>(std::min(kChunk, std::max<int64_t>(to - from, 0))));
  while (from < to) {
    const size_t length = static_cast<size_t>(std::min(kChunk, to - from));
    if (source.ReadAt(from, buffer.data(), length) != static_cast<int64_t>(length)) return false;
    if (!target.Append(buffer.data(), length)) return false;
    for (size_t at = 0; groups != nullptr && at + kUserRecordSize <= length;
         at += kUserRecordSize) {
      uint8_t type = buffer[at + user_offsets::kAccountType];
      ScrambleBytes(&type, 1, user_offsets::kAccountType);
      if (type == kGroupAccount) groups->push_back(RecordFromStored(buffer.data() + at));
    }
    from += static_cast<int64_t>(length);
  }
  return true;
}

}  // namespace

std::string UsersFilePath(std::string_view folder) { return std::string(folder) + "users.cfg"; }

int CountUsers(std::string_view folder) {
  StampedFile file;
  return file.Open(UsersFilePath(folder)) ? RecordsIn(file) : 0;
}

int LoadUserAt(std::string_view folder, int position, UserRecord* record) {
  record->fill(0);
  StampedFile file;
  if (!file.Open(UsersFilePath(folder))) return 0;
  const int count = RecordsIn(file);
  if (position >= 0 && position < count) {
    UserRecord stored;
    if (file.ReadAt(static_cast<int64_t>(position) * kUserRecordSize, stored.data(),
                    stored.size()) == kUserRecordSize) {
      *record = RecordFromStored(stored.data());
    }
  }
  return count;
}

bool WriteUserAt(std::string_view folder, const UserRecord& record, int* position, bool encipher,
                 UsersFileAppend* append) {
  if (ListItems(AliasListOf(record)).empty()) return false;
  UserRecord stored;
  if (!StoredFromRecord(record, encipher, &stored)) return false;
  if (!DirectoryExists(folder) && !CreateDirectories(folder)) return false;

  DirectoryLock lock;
  if (!lock.Lock(folder)) return false;
  StampedFile current;
  const bool exists = current.Open(UsersFilePath(folder));
  const int count = exists ? RecordsIn(current) : 0;
  const int at = *position == -1 ? count : *position;
  if (at < 0 || at > count) return false;
  if (exists && at == count) {
    UsersFileAppend appended;
    int64_t index = 0;
    if (!AppendRecord(UsersFilePath(folder), stored.data(), stored.size(), &appended.before,
                      &appended.after, &index)) {
      return false;
    }
    appended.done = true;
    if (append != nullptr) *append = appended;
    *position = static_cast<int>(index);
    return true;
  }

  ReplacementFile next;
  if (!next.Open(UsersFilePath(folder) + ".tmp", UsersFilePath(folder))) return false;
  const int64_t start = static_cast<int64_t>(at) * kUserRecordSize;
  if (!CopyRange(current, 0, start, next) || !next.Append(stored.data(), stored.size())) {
    return false;
  }
  // An appended record takes the place of a trailing partial record; a
  // replaced one leaves everything after it as it was.
  if (at < count && !CopyRange(current, start + kUserRecordSize, current.stamp().size, next)) {
    return false;
  }
  if (!next.Commit()) return false;
  *position = at;
  return true;
}

bool RemoveUserAt(std::string_view folder, int position, UserRecord* removed,
                  std::vector<UserRecord>* groups) {
  if (position < 0) return false;
  DirectoryLock lock;
  if (!lock.Lock(folder)) return false;
  StampedFile current;
  if (!current.Open(UsersFilePath(folder)) || position >= RecordsIn(current)) return false;

  const int64_t start = static_cast<int64_t>(position) * kUserRecordSize;
  UserRecord record;
  if (current.ReadAt(start, record.data(), record.size()) != kUserRecordSize) return false;
  ReplacementFile next;
  if (!next.Open(UsersFilePath(folder) + ".tmp", UsersFilePath(folder)) ||
      !CopyRange(current, 0, start, next, groups) ||
      !CopyRange(current, start + kUserRecordSize, current.stamp().size, next, groups) ||
      !next.Commit()) {
    if (groups != nullptr) groups->clear();
    return false;
  }
  ScrambleRecord(record);
  *removed = record;
  return true;
}

}  // namespace tarvelin
