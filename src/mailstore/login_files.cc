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
std::array<uint8_t, size> ReadFixed(Env& env, const std::string& path) {
  std::array<uint8_t, size> bytes{};
  std::string content;
  if (env.ReadFilePrefix(path, size, &content).ok() && content.size() >= size) {
    std::memcpy(bytes.data(), content.data(), size);
  }
  return bytes;
}

template <size_t size>
bool WriteFixed(Env& env, std::string_view folder, const char* name,
                const std::array<uint8_t, size>& bytes) {
  const std::string path = std::string(folder) + name;
  const std::string_view data(reinterpret_cast<const char*>(bytes.data()), size);
  return WriteFileAtomicCreatingFolder(env, path, data).ok();
}

}  // namespace

int32_t LoginFailures::count() const {
  return static_cast<int32_t>(GetLE(bytes.data() + kCount, 4));
}

double LoginFailures::last_failure() const { return GetDouble(bytes.data() + kLastFailure); }

LoginFailures ReadLoginFailures(Env& env, std::string_view folder) {
  return LoginFailures{ReadFixed<kLoginFailureSize>(env, std::string(folder) + kLoginFile)};
}

bool CountLoginFailure(Env& env, std::string_view folder, double now, LoginFailures* after) {
  LoginFailures failures = ReadLoginFailures(env, folder);
  // Stops at the largest count instead of wrapping to a negative one.
  const int32_t count = failures.count();
  PutLE(failures.bytes.data() + kCount, 4,
        static_cast<uint32_t>(count == INT32_MAX ? count : count + 1));
  PutDouble(failures.bytes.data() + kLastFailure, now);
  *after = failures;
  return WriteFixed(env, folder, kLoginFile, failures.bytes);
}

void ClearLoginFailures(Env& env, std::string_view folder) {
  env.RemoveFile(std::string(folder) + kLoginFile);
}

bool TouchActivity(Env& env, std::string_view folder) {
  const std::string path = std::string(folder) + kActivityFile;
  return WriteFileAtomicCreatingFolder(env, path, "").ok();
}

int64_t DaysSinceActivity(Env& env, std::string_view folder, int64_t unix_now) {
  const Result<FileStamp> stamp = env.GetFileStamp(std::string(folder) + kActivityFile);
  if (!stamp.ok() || !stamp->exists) return -1;
  const int64_t written = stamp->mtime_ns / 1000000000;
  return std::max<int64_t>(0, unix_now - written) / kSecondsPerDay;
}

bool RecordAccess(Env& env, std::string_view folder, double now) {
  auto bytes = ReadFixed<kUserAccessSize>(env, std::string(folder) + kAccessFile);
  PutDouble(bytes.data() + kLastLogin, now);
  return WriteFixed(env, folder, kAccessFile, bytes);
}

}  // namespace tarvelin
