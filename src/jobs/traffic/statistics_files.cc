#include "jobs/traffic/statistics_files.h"

#include <cstdio>
#include <memory>

#include "foundation/bytes.h"

namespace tarvelin {

namespace {

// Records per read: a year of daily records fits in one.
constexpr size_t kRecordsPerBlock = 512;

}  // namespace

UserStatRecord DecodeUserStatRecord(const uint8_t* bytes) {
  UserStatRecord out;
  out.day = GetDouble(bytes);
  for (int i = 0; i < kStatFieldCount; ++i) out.values[i] = GetLE(bytes + 8 + 4 * i, 4);
  return out;
}

void ReadUserStatFile(Env& env, std::string_view path,
                      const std::function<void(const UserStatRecord&)>& record) {
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(path);
  if (!file.ok()) return;
  std::array<uint8_t, kRecordsPerBlock * kUserStatRecordSize> block;
  int64_t offset = 0;
  for (;;) {
    Result<size_t> got = (*file)->ReadAt(offset, block.data(), block.size());
    if (!got.ok()) return;
    const size_t whole = *got / kUserStatRecordSize;
    for (size_t i = 0; i < whole; ++i) {
      record(DecodeUserStatRecord(block.data() + i * kUserStatRecordSize));
    }
    // A short read is the end of the file; a torn last record goes unread.
    if (*got < block.size()) return;
    offset += static_cast<int64_t>(*got);
  }
}

std::string UserStatPath(std::string_view folder) {
  std::string path(folder);
  path += "userstat.dat";
  return path;
}

std::string UserStatArchivePath(std::string_view folder, int year) {
  char name[16];
  std::snprintf(name, sizeof name, "%04d.dat", year);
  std::string path(folder);
  path += "~stat/";
  path += name;
  return path;
}

AccessDates ReadAccessDates(Env& env, std::string_view path) {
  AccessDates dates;
  Result<std::unique_ptr<ReadableFile>> file = env.NewReadableFile(path);
  if (!file.ok()) return dates;
  std::array<uint8_t, kUserAccessRecordSize> record;
  Result<size_t> got = (*file)->ReadAt(0, record.data(), record.size());
  if (!got.ok() || *got < record.size()) return dates;
  dates.last_sent = GetDouble(record.data());
  dates.last_received = GetDouble(record.data() + 8);
  dates.last_login = GetDouble(record.data() + 16);
  return dates;
}

std::string UserAccessPath(std::string_view folder) {
  std::string path(folder);
  path += "useraccess.dat";
  return path;
}

}  // namespace tarvelin
