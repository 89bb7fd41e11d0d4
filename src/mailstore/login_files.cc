#include "mailstore/login_files.h"

#include <algorithm>
#include <cstring>

#include "foundation/bytes.h"
#include "platform/file_system.h"

namespace tarvelin {

namespace {

constexpr char kLoginFile[] = "login.dat";
constexpr char kActivityFile[] = "active.dat";
constexpr char kAccessFile[] = "useraccess.dat";
constexpr int kCount = 0;
constexpr int kLastFailure = 8;
constexpr int kLastLogin = 16;
constexpr int64_t kSecondsPerDay = 86400;

// The file's first `size` bytes, zero beyond its end (and all zero when
// it is missing or shorter than `size`).
template <size_t size>
std::array<uint8_t, size> ReadFixed(const std::string& path) {
  std::array<uint8_t, size> bytes{};
  std::string content;
  if (ReadFilePrefix(path, size, &content) == ReadResult::kOk && content.size() >= size) {
    std::memcpy(bytes.data(), content.data(), size);
  }
  return bytes;
}

template <size_t size>
bool WriteFixed(std::string_view folder, const char* name, const std::array<uint8_t, size>& bytes) {
  const std::string path = std::string(folder) + name;
  const std::string_view data(reinterpret_cast<const char*>(bytes.data()), size);
  return WriteFileAtomic(path, data) || (CreateDirectories(folder) && WriteFileAtomic(path, data));
}

}  // namespace

int32_t LoginFailures::count() const {
  return static_cast<int32_t>(GetLE(bytes.data() + kCount, 4));
}

double LoginFailures::last_failure() const { return GetDouble(bytes.data() + kLastFailure); }

LoginFailures ReadLoginFailures(std::string_view folder) {
  return LoginFailures{ReadFixed<kLoginFailureSize>(std::string(folder) + kLoginFile)};
}

bool CountLoginFailure(std::string_view folder, double now, LoginFailures* after) {
  LoginFailures failures = ReadLoginFailures(folder);
  // Stops at the largest count instead of wrapping to a negative one.
  const int32_t count = failures.count();
  PutLE(failures.bytes.data() + kCount, 4,
        static_cast<uint32_t>(count == INT32_MAX ? count : count + 1));
  PutDouble(failures.bytes.data() + kLastFailure, now);
  *after = failures;
  return WriteFixed(folder, kLoginFile, failures.bytes);
}

void ClearLoginFailures(std::string_view folder) { RemoveFile(std::string(folder) + kLoginFile); }

bool TouchActivity(std::string_view folder) {
  const std::string path = std::string(folder) + kActivityFile;
  return WriteFileAtomic(path, "") || (CreateDirectories(folder) && WriteFileAtomic(path, ""));
}

int64_t DaysSinceActivity(std::string_view folder, int64_t unix_now) {
  const FileStamp stamp = GetFileStamp(std::string(folder) + kActivityFile);
  if (!stamp.exists) return -1;
  const int64_t written = stamp.mtime_ns / 1000000000;
  return std::max<int64_t>(0, unix_now - written) / kSecondsPerDay;
}

bool RecordAccess(std::string_view folder, double now) {
  auto bytes = ReadFixed<kUserAccessSize>(std::string(folder) + kAccessFile);
  PutDouble(bytes.data() + kLastLogin, now);
  return WriteFixed(folder, kAccessFile, bytes);
}

}  // namespace tarvelin
