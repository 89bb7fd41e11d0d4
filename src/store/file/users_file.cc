#include "store/file/users_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "foundation/list_match.h"
#include "foundation/scramble.h"
#include "platform/file_system.h"
#include "platform/record_append.h"
#include "platform/replacement_file.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

int RecordsIn(const StampedFile& file) {
  return static_cast<int>(std::min<int64_t>(file.stamp().size / kUserRecordSize, INT32_MAX));
}

Status ReadError(const std::string& path, int64_t offset) {
  return Status::IOError("read " + path + " at " + std::to_string(offset), EIO);
}

// Copies the bytes [from, to) of `source` into `target`, whole records in
// chunks of whole records, collecting the groups it meets into `groups`.
Status CopyRange(const StampedFile& source, const std::string& path, int64_t from, int64_t to,
                 ReplacementFile& target, std::vector<UserRecord>* groups = nullptr) {
  constexpr int64_t kChunk = int64_t{368} * kUserRecordSize;  // about 1 MB
  std::vector<uint8_t> buffer(
      static_cast<size_t>(std::min(kChunk, std::max<int64_t>(to - from, 0))));
  while (from < to) {
    const size_t length = static_cast<size_t>(std::min(kChunk, to - from));
    if (source.ReadAt(from, buffer.data(), length) != static_cast<int64_t>(length)) {
      return ReadError(path, from);
    }
    if (Status appended = target.Append(buffer.data(), length); !appended.ok()) {
      return appended;
    }
    for (size_t at = 0; groups != nullptr && at + kUserRecordSize <= length;
         at += kUserRecordSize) {
      uint8_t type = buffer[at + user_offsets::kAccountType];
      ScrambleBytes(&type, 1, user_offsets::kAccountType);
      if (type == kGroupAccount) groups->push_back(RecordFromStored(buffer.data() + at));
    }
    from += static_cast<int64_t>(length);
  }
  return Status::Ok();
}

}  // namespace

std::string UsersFilePath(std::string_view folder) { return std::string(folder) + "users.cfg"; }

int CountUsers(Env& env, std::string_view folder) {
  StampedFile file;
  return file.OpenFile(env, UsersFilePath(folder)).ok() ? RecordsIn(file) : 0;
}

int LoadUserAt(Env& env, std::string_view folder, int position, UserRecord* record) {
  record->fill(0);
  StampedFile file;
  if (!file.OpenFile(env, UsersFilePath(folder)).ok()) return 0;
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

Status WriteUserAt(Env& env, std::string_view folder, const UserRecord& record, int* position,
                   bool encipher, UsersFileAppend* append) {
  const std::string path = UsersFilePath(folder);
  if (ListItems(AliasListOf(record)).empty()) {
    return Status::InvalidArgument("an account without an alias for " + path);
  }
  UserRecord stored;
  if (!StoredFromRecord(record, encipher, &stored)) {
    return Status::InvalidArgument("a password that cannot be stored in " + path);
  }
  if (!DirectoryExists(env, folder)) TARVELIN_RETURN_IF_ERROR(env.CreateDirectories(folder));

  StampedFile current;
  const bool exists = current.OpenFile(env, path).ok();
  const int count = exists ? RecordsIn(current) : 0;
  const int at = *position == -1 ? count : *position;
  if (at < 0 || at > count) {
    return Status::NotFound("account " + std::to_string(at) + " in " + path);
  }
  if (exists && at == count) {
    UsersFileAppend appended;
    int64_t index = 0;
    TARVELIN_RETURN_IF_ERROR(AppendRecord(env, path, stored.data(), stored.size(), &appended.before,
                                 &appended.after, &index));
    appended.done = true;
    if (append != nullptr) *append = appended;
    *position = static_cast<int>(index);
    return Status::Ok();
  }

  ReplacementFile next(env);
  TARVELIN_RETURN_IF_ERROR(next.OpenFile(path + ".tmp", path));
  const int64_t start = static_cast<int64_t>(at) * kUserRecordSize;
  TARVELIN_RETURN_IF_ERROR(CopyRange(current, path, 0, start, next));
  TARVELIN_RETURN_IF_ERROR(next.Append(stored.data(), stored.size()));
  // An appended record takes the place of a trailing partial record; a
  // replaced one leaves everything after it as it was.
  if (at < count) {
    TARVELIN_RETURN_IF_ERROR(
        CopyRange(current, path, start + kUserRecordSize, current.stamp().size, next));
  }
  TARVELIN_RETURN_IF_ERROR(next.CommitFile());
  *position = at;
  return Status::Ok();
}

Status RemoveUserAt(Env& env, std::string_view folder, int position, UserRecord* removed,
                    std::vector<UserRecord>* groups) {
  const std::string path = UsersFilePath(folder);
  const auto missing = [&] {
    return Status::NotFound("account " + std::to_string(position) + " in " + path);
  };
  if (position < 0) return missing();
  StampedFile current;
  TARVELIN_RETURN_IF_ERROR(current.OpenFile(env, path));
  if (position >= RecordsIn(current)) return missing();

  const int64_t start = static_cast<int64_t>(position) * kUserRecordSize;
  UserRecord record;
  if (current.ReadAt(start, record.data(), record.size()) != kUserRecordSize) {
    return ReadError(path, start);
  }
  ReplacementFile next(env);
  Status status = next.OpenFile(path + ".tmp", path);
  if (status.ok()) status = CopyRange(current, path, 0, start, next, groups);
  if (status.ok()) {
    status = CopyRange(current, path, start + kUserRecordSize, current.stamp().size, next, groups);
  }
  if (status.ok()) status = next.CommitFile();
  if (!status.ok()) {
    if (groups != nullptr) groups->clear();
    return status;
  }
  ScrambleRecord(record);
  *removed = record;
  return Status::Ok();
}

}  // namespace tarvelin
