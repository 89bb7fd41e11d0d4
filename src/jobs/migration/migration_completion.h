// The completion of one migrated account, as the POP3 service runs it when
// the download of the account from the source server ends: in the migrate
// pass it picks the local alias and domain, creates the account and moves
// the downloaded messages into it; in the finish pass it marks the queued
// record finished. Both passes update migrate.dat and write the migration
// log; an account that cannot be created is listed in migrate.err and its
// messages stay in the download folder.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/status.h"
#include "jobs/migration/migration_record.h"

namespace tarvelin {

class Context;

enum class MigrationPass { kMigrate, kFinish };

struct CompletionInput {
  MigrationPass pass = MigrationPass::kMigrate;
  std::string login;     // at the source
  std::string password;  // plain
  MigrationProtocol protocol = MigrationProtocol::kPop3;
  std::string download_folder;  // where the download engine put the messages
  std::string uidl_file;        // the identifiers it downloaded
  uint32_t message_count = 0;
  std::string stored_target;  // finish pass: the target of the queued record
};

// The counters of the service's migration status block that the completion
// step moves (the block's offsets in the comments).
struct MigrationStatusCounters {
  uint32_t accounts_created = 0;      // 0
  uint32_t messages_migrated = 0;     // 4
  uint32_t accounts_created_8 = 0;    // 8
  uint32_t accounts_created_12 = 0;   // 12
  uint32_t accounts_not_created = 0;  // 16
  double last_created = 0;            // 32: date-time of the last creation
};

struct CompletionOutcome {
  std::string target;  // alias@domain of the local account
  bool created = false;
  std::string mail_folder;  // the new account's, when created
};

// The local alias and domain of a migrated login (variables 370, 115, 121,
// 372; the first domain when none else applies), as "alias@domain"; the
// domain part is empty when the server has no domain.
std::string MigrationTargetOf(Context& context, const std::string& login,
                              const std::string& password);

// Runs the step for one account and updates `counters`. An error is a
// failure that left the account half done (the migration log says how
// far); an account that cannot be created is no error: `created` is false.
Result<CompletionOutcome> CompleteMigratedAccount(Context& context, const CompletionInput& input,
                                                  MigrationStatusCounters& counters);

}  // namespace tarvelin
