#include "jobs/migration/migration_store.h"

#include "core/context.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

Status RequireLogin(std::string_view login) {
  if (login.empty()) return Status::InvalidArgument("a migration record needs a login name");
  return Status::Ok();
}

// Position of the first record with the pair, or -1.
int64_t PositionOf(const std::vector<MigrationRecord>& records, std::string_view login,
                   std::string_view password) {
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].Matches(login, password)) return static_cast<int64_t>(i);
  }
  return -1;
}

// Runs `step` holding the migration locks, in-process first.
template <typename Step>
auto UnderMigrationLock(Context& context, Step step) -> decltype(step()) {
  // Before Init the queue's path would be relative to wherever we run.
  if (!context.api.initialised) return Status::Unavailable("no installation is open");
  ScopedLock in_process(context.locks(), LockId::kMailEngineFiles);
  Result<CrossProcessLocks::Held> held =
      context.file_locks().Acquire(LockFileOf(context.api.config_path), kMigrationLock);
  if (!held.ok()) return held.status();
  return step();
}

Status WriteRecordAt(Env& env, const std::string& path, int64_t position,
                     const MigrationRecord& record, bool create) {
  Result<std::unique_ptr<WritableFile>> file =
      env.NewWritableFile(path, create ? WriteMode::kCreateNew : WriteMode::kUpdate);
  if (!file.ok()) return file.status();
  const MigrationRecord::Bytes stored = record.StoredBytes();
  Status written = (*file)->WriteAt(
      position * static_cast<int64_t>(kMigrationRecordSize),
      std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
  if (!written.ok()) return written;
  return (*file)->Close();
}

}  // namespace

std::string MigrationQueuePath(const Context& context) {
  return context.api.config_path + "migrate.dat";
}

Result<std::vector<MigrationRecord>> ReadMigrationRecords(Env& env, const std::string& path) {
  std::string content;
  Status read = env.ReadFile(path, &content);
  if (read.Is(StatusCode::kNotFound)) return std::vector<MigrationRecord>{};
  if (!read.ok()) return read;
  return ParseMigrationRecords(content);
}

Status AddMigrationRecord(Context& context, const MigrationRecord& record) {
  if (Status s = RequireLogin(record.login()); !s.ok()) return s;
  return UnderMigrationLock(context, [&]() -> Status {
    const std::string path = MigrationQueuePath(context);
    Result<PathInfo> info = context.env().GetPathInfo(path, Links::kNoFollow);
    if (!info.ok() && !info.status().Is(StatusCode::kNotFound)) return info.status();
    const bool missing = !info.ok();
    const int64_t whole = missing ? 0 : info->size / static_cast<int64_t>(kMigrationRecordSize);
    return WriteRecordAt(context.env(), path, whole, record, missing);
  });
}

Status UpdateMigrationRecord(Context& context, const MigrationRecord& record) {
  if (Status s = RequireLogin(record.login()); !s.ok()) return s;
  return UnderMigrationLock(context, [&]() -> Status {
    const std::string path = MigrationQueuePath(context);
    Result<std::vector<MigrationRecord>> records = ReadMigrationRecords(context.env(), path);
    if (!records.ok()) return records.status();
    const int64_t position = PositionOf(*records, record.login(), record.password());
    if (position < 0) return Status::NotFound("no queued migration of " + record.login());
    return WriteRecordAt(context.env(), path, position, record, false);
  });
}

Result<MigrationRecord> FindMigrationRecord(Context& context, std::string_view login,
                                            std::string_view password) {
  if (Status s = RequireLogin(login); !s.ok()) return s;
  return UnderMigrationLock(context, [&]() -> Result<MigrationRecord> {
    Result<std::vector<MigrationRecord>> records =
        ReadMigrationRecords(context.env(), MigrationQueuePath(context));
    if (!records.ok()) return records.status();
    const int64_t position = PositionOf(*records, login, password);
    if (position < 0) return Status::NotFound("no queued migration of " + std::string(login));
    return (*records)[static_cast<size_t>(position)];
  });
}

}  // namespace tarvelin
