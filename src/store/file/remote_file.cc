#include "store/file/remote_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "foundation/scramble.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"

namespace tarvelin {

namespace {

constexpr size_t kSize = kRemoteRecordSize;

int RecordsIn(const std::string& content) {
  return static_cast<int>(std::min<size_t>(content.size() / kSize, INT32_MAX));
}

// The whole file; an empty text unless it was read.
Status ReadContent(Env& env, std::string_view config_folder, std::string* content) {
  const Status status = env.ReadFile(RemoteFilePath(config_folder), content);
  if (!status.ok()) content->clear();
  return status;
}

Status Replace(Env& env, std::string_view config_folder, const std::string& content) {
  const std::string path = RemoteFilePath(config_folder);
  ReplacementFile next(env);
  TARVELIN_RETURN_IF_ERROR(next.OpenFile(path + ".tmp", path));
  TARVELIN_RETURN_IF_ERROR(next.Append(content.data(), content.size()));
  return next.CommitFile();
}

}  // namespace

std::string RemoteFilePath(std::string_view config_folder) {
  return std::string(config_folder) + "remote.cfg";
}

int CountRemoteAccounts(Env& env, std::string_view config_folder) {
  const int64_t size = FileSize(env, RemoteFilePath(config_folder));
  return size < 0 ? 0 : static_cast<int>(std::min<int64_t>(size / kRemoteRecordSize, INT32_MAX));
}

int LoadRemoteAt(Env& env, std::string_view config_folder, int position,
                 RemoteAccountRecord* record) {
  record->fill(0);
  std::string content;
  if (!ReadContent(env, config_folder, &content).ok()) return 0;
  const int count = RecordsIn(content);
  if (position >= 0 && position < count) {
    std::memcpy(record->data(), content.data() + static_cast<size_t>(position) * kSize, kSize);
    ScrambleBytes(record->data(), kSize, 0);
  }
  return count;
}

Status WriteRemoteAt(Env& env, std::string_view config_folder, const RemoteAccountRecord& record,
                     int position) {
  std::string content;
  // A missing file is an empty list.
  if (Status read = ReadContent(env, config_folder, &content);
      !read.ok() && !read.Is(StatusCode::kNotFound)) {
    return read;
  }
  const int count = RecordsIn(content);
  const int at = position == -1 ? count : position;
  if (at < 0 || at > count) {
    return Status::InvalidArgument("no position " + std::to_string(position) + " in " +
                                   RemoteFilePath(config_folder));
  }

  RemoteAccountRecord stored = record;
  ScrambleBytes(stored.data(), kSize, 0);
  const size_t start = static_cast<size_t>(at) * kSize;
  // An appended record takes the place of a trailing partial record; a
  // replaced one leaves everything after it as it was.
  if (at == count) content.resize(start + kSize);
  std::memcpy(content.data() + start, stored.data(), kSize);
  return Replace(env, config_folder, content);
}

Status RemoveRemoteAt(Env& env, std::string_view config_folder, int position,
                      RemoteAccountRecord* removed) {
  std::string content;
  if (Status read = ReadContent(env, config_folder, &content); !read.ok()) {
    // Nothing to remove from is a failure, not a position outside the list.
    return read.Is(StatusCode::kNotFound) ? Status::IOError(read.message(), ENOENT) : read;
  }
  if (position < 0 || position >= RecordsIn(content)) {
    return Status::NotFound("no remote account at position " + std::to_string(position));
  }

  const size_t start = static_cast<size_t>(position) * kSize;
  RemoteAccountRecord record;
  std::memcpy(record.data(), content.data() + start, kSize);
  content.erase(start, kSize);
  TARVELIN_RETURN_IF_ERROR(Replace(env, config_folder, content));
  ScrambleBytes(record.data(), kSize, 0);
  *removed = record;
  return Status::Ok();
}

}  // namespace tarvelin
