// migrate.dat of any content, and account list texts of any shape: the
// same bytes are read as the queue file (records, passwords unscrambled,
// the finish state) and as the bulk text of queueing and of the login check.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "jobs/migration/login_session.h"
#include "jobs/migration/migration_list.h"
#include "jobs/migration/migration_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarvelin;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::vector<MigrationRecord> records = ParseMigrationRecords(input);
  for (const MigrationRecord& record : records) {
    // A record read back and stored again is the same bytes.
    const MigrationRecord::Bytes stored = record.StoredBytes();
    const MigrationRecord again = MigrationRecord::FromStored(stored.data());
    if (again.password() != record.password() || again.login() != record.login() ||
        again.target() != record.target()) {
      __builtin_trap();
    }
  }
  MigrationStateOf(records);

  for (const std::string& line : MigrationListLines(input)) {
    const MigrationRecord record = QueueRecordOf(line, MigrationProtocol::kImap);
    if (record.login().size() > kMigrationLoginCapacity ||
        record.password().size() > kMigrationPasswordCapacity ||
        record.target().size() > kMigrationTargetCapacity) {
      __builtin_trap();
    }
  }
  for (const MigrationLogin& login : MigrationListLogins(input)) {
    (void)ImapString(login.user);
    (void)ImapString(login.password);
  }
  ParseServerAddress(input);
  return 0;
}
