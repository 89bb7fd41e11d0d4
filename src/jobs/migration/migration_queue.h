// Queueing accounts for migration, and the finish request with the overall
// state read from migrate.dat. Both tell the POP3 service (message 1536)
// through the service channel; the service does the transfer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "jobs/migration/migration_list.h"
#include "jobs/migration/migration_record.h"

namespace tarvelin {

class Context;

// The protocol the service migrates with: variable 373 = 1 is POP3.
MigrationProtocol ConfiguredMigrationProtocol(Context& context);

struct QueueOutcome {
  int queued = 0;
  // The lines that were not queued (an empty login name, a write failure).
  std::vector<std::string> skipped;
};

// Adds a record for each line, then asks the POP3 service to proceed
// (1536 with parameter 2).
QueueOutcome QueueMigrations(Context& context, const std::vector<std::string>& lines);

// Asks the service to finish (1536/1), reads the state from migrate.dat,
// and while migrations are still running asks it to proceed (1536/2). A
// missing migrate.dat is kFinished; an unreadable one is an error.
Result<MigrationState> FinishMigration(Context& context);

}  // namespace tarvelin
