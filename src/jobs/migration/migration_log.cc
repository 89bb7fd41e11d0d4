#include "jobs/migration/migration_log.h"

#include <cstdio>
#include <cstdlib>

#include "core/config/config_variables.h"
#include "core/context.h"
#include "foundation/date_time.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr int32_t kMigrationLogVariable = 368;
constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Sunday 0; day 0 of the record dates, 30 December 1899, was a Saturday.
int WeekdayOf(const CivilDate& date) {
  double days = 0;
  if (!EncodeDate(date, &days)) return 0;
  const long whole = static_cast<long>(days);
  return static_cast<int>(((whole + 6) % 7 + 7) % 7);
}

Status AppendUnderLock(Context& context, const std::string& path, std::string_view text) {
  ScopedLock in_process(context.locks(), LockId::kMailEngineFiles);
  Result<CrossProcessLocks::Held> held =
      context.file_locks().Acquire(LockFileOf(context.api.config_path), kMigrationLock);
  if (!held.ok()) return held.status();
  Result<std::unique_ptr<WritableFile>> file =
      context.env().NewWritableFile(path, WriteMode::kAppend);
  if (!file.ok() && file.status().Is(StatusCode::kNotFound)) {
    // Created when missing, with the folders it names.
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0) {
      (void)context.env().CreateDirectories(path.substr(0, slash));
      file = context.env().NewWritableFile(path, WriteMode::kAppend);
    }
  }
  if (!file.ok()) return file.status();
  if (Status s = (*file)->Append(text); !s.ok()) return s;
  return (*file)->Close();
}

}  // namespace

std::string FormatMigrationLogLine(uint32_t thread_id, const LocalTime& when,
                                   std::string_view text) {
  const CivilDate& d = when.when.date;
  const CivilTime& t = when.when.time;
  const int month = d.month >= 1 && d.month <= 12 ? d.month - 1 : 0;
  const int offset = std::abs(when.utc_offset_minutes);
  char head[96];
  std::snprintf(head, sizeof head, "[%08x] %s, %.2d %s %d %.2d:%.2d:%.2d %c%02d%02d ", thread_id,
                kDays[WeekdayOf(d)], d.day, kMonths[month], d.year, t.hour, t.minute, t.second,
                when.utc_offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return std::string(head) + std::string(text);
}

Status AppendMigrationLog(Context& context, std::string_view text) {
  Result<SettingValue> path = ConfigSettingValue(context, kMigrationLogVariable);
  if (!path.ok()) return path.status();
  if (path->text().empty()) return Status::Ok();
  Env& env = context.env();
  const std::string line =
      FormatMigrationLogLine(env.CurrentThreadId(), env.LocalTimeOf(env.NowUnixSeconds()), text);
  return AppendUnderLock(context, path->text(), line + "\r\n");
}

std::string MigrationErrorPath(const Context& context) {
  return context.api.config_path + "migrate.err";
}

Status AppendMigrationError(Context& context, std::string_view text) {
  return AppendUnderLock(context, MigrationErrorPath(context), text);
}

}  // namespace tarvelin
