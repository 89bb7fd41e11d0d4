// migrate.dat (ConfigPath + "migrate.dat"): add, update and find queued
// migrations. Every change runs under the migration lock of the lock table
// (lock 3) and the cross-process lock kMigrationLock.
//
// The file is a plain sequence of 256-byte records. A length that is no
// multiple of 256 has a torn tail (an append cut short): readers ignore it,
// and the next add writes its record at the last whole-record boundary,
// over the torn bytes, so that no record is ever glued to a fragment.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "jobs/migration/migration_record.h"

namespace tarvelin {

class Context;
class Env;

std::string MigrationQueuePath(const Context& context);

// The records of migrate.dat read without a lock; none when it is missing.
Result<std::vector<MigrationRecord>> ReadMigrationRecords(Env& env, const std::string& path);

// InvalidArgument for an empty login name (nothing is written then).
Status AddMigrationRecord(Context& context, const MigrationRecord& record);
// Overwrites the first record with the same login name and password;
// NotFound when there is none.
Status UpdateMigrationRecord(Context& context, const MigrationRecord& record);
// The first record with that login name and password.
Result<MigrationRecord> FindMigrationRecord(Context& context, std::string_view login,
                                            std::string_view password);

}  // namespace tarvelin
