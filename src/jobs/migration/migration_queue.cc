#include "jobs/migration/migration_queue.h"

#include "core/config/config_variables.h"
#include "core/context.h"
#include "jobs/migration/migration_store.h"

namespace tarvelin {

namespace {

constexpr int32_t kProtocolVariable = 373;
constexpr int kPop3Service = 1;
constexpr uint32_t kMigrationMessage = 1536;
constexpr uint32_t kFinishNow = 1;
constexpr uint32_t kProceed = 2;

void TellService(Context& context, uint32_t what) {
  context.Channel().NotifyService(kPop3Service, kMigrationMessage, what, 0);
}

}  // namespace

MigrationProtocol ConfiguredMigrationProtocol(Context& context) {
  Result<SettingValue> value = ConfigSettingValue(context, kProtocolVariable);
  const bool pop3 = value.ok() && value->number() == 1;
  return pop3 ? MigrationProtocol::kPop3 : MigrationProtocol::kImap;
}

QueueOutcome QueueMigrations(Context& context, const std::vector<std::string>& lines) {
  const MigrationProtocol protocol = ConfiguredMigrationProtocol(context);
  QueueOutcome outcome;
  for (const std::string& line : lines) {
    if (AddMigrationRecord(context, QueueRecordOf(line, protocol)).ok()) {
      ++outcome.queued;
    } else {
      outcome.skipped.push_back(line);
    }
  }
  TellService(context, kProceed);
  return outcome;
}

Result<MigrationState> FinishMigration(Context& context) {
  if (!context.api.initialised) return Status::Unavailable("no installation is open");
  TellService(context, kFinishNow);
  Result<std::vector<MigrationRecord>> records =
      ReadMigrationRecords(context.env(), MigrationQueuePath(context));
  if (!records.ok()) return records.status();
  const MigrationState state = MigrationStateOf(*records);
  if (state == MigrationState::kInProgress) TellService(context, kProceed);
  return state;
}

}  // namespace tarvelin
