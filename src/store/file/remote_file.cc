#include "store/file/remote_file.h"

#include <algorithm>
#include <cstring>

#include "foundation/scramble.h"
#include "platform/directory_lock.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"

namespace tarvelin {

namespace {

constexpr size_t kSize = kRemoteRecordSize;

int RecordsIn(const std::string& content) {
  return static_cast<int>(std::min<size_t>(content.size() / kSize, INT32_MAX));
}

// The whole file; an empty text unless it was read.
ReadResult ReadContent(std::string_view config_folder, std::string* content) {
  const ReadResult result = ReadFile(RemoteFilePath(config_folder), content);
  if (result != ReadResult::kOk) content->clear();
  return result;
}

bool Replace(std::string_view config_folder, const std::string& content) {
  const std::string path = RemoteFilePath(config_folder);
  ReplacementFile next;
  return next.Open(path + ".tmp", path) && next.Append(content.data(), content.size()) &&
         next.Commit();
}

}  // namespace

std::string RemoteFilePath(std::string_view config_folder) {
  return std::string(config_folder) + "remote.cfg";
}

int CountRemoteAccounts(std::string_view config_folder) {
  const std::string path = RemoteFilePath(config_folder);
  const int64_t size = FileExists(path) ? FileSize(path) : -1;
  return size < 0 ? 0 : static_cast<int>(std::min<int64_t>(size / kRemoteRecordSize, INT32_MAX));
}

int LoadRemoteAt(std::string_view config_folder, int position, RemoteAccountRecord* record) {
  record->fill(0);
  std::string content;
  if (ReadContent(config_folder, &content) != ReadResult::kOk) return 0;
  const int count = RecordsIn(content);
  if (position >= 0 && position < count) {
    std::memcpy(record->data(), content.data() + static_cast<size_t>(position) * kSize, kSize);
    ScrambleBytes(record->data(), kSize, 0);
  }
  return count;
}

bool WriteRemoteAt(std::string_view config_folder, const RemoteAccountRecord& record,
                   int position) {
  DirectoryLock lock;
  if (!lock.Lock(config_folder)) return false;
  std::string content;
  if (ReadContent(config_folder, &content) == ReadResult::kError) return false;
  const int count = RecordsIn(content);
  const int at = position == -1 ? count : position;
  if (at < 0 || at > count) return false;

  RemoteAccountRecord stored = record;
  ScrambleBytes(stored.data(), kSize, 0);
  const size_t start = static_cast<size_t>(at) * kSize;
  // An appended record takes the place of a trailing partial record; a
  // replaced one leaves everything after it as it was.
  if (at == count) content.resize(start + kSize);
  std::memcpy(content.data() + start, stored.data(), kSize);
  return Replace(config_folder, content);
}

RemoteRemoval RemoveRemoteAt(std::string_view config_folder, int position,
                             RemoteAccountRecord* removed) {
  DirectoryLock lock;
  if (!lock.Lock(config_folder)) return RemoteRemoval::kFailed;
  std::string content;
  if (ReadContent(config_folder, &content) != ReadResult::kOk) return RemoteRemoval::kFailed;
  if (position < 0 || position >= RecordsIn(content)) return RemoteRemoval::kNoSuchRecord;

  const size_t start = static_cast<size_t>(position) * kSize;
  RemoteAccountRecord record;
  std::memcpy(record.data(), content.data() + start, kSize);
  content.erase(start, kSize);
  if (!Replace(config_folder, content)) return RemoteRemoval::kFailed;
  ScrambleBytes(record.data(), kSize, 0);
  *removed = record;
  return RemoteRemoval::kRemoved;
}

}  // namespace tarvelin
