#include "jobs/migration/migration_record.h"

#include <cstring>

#include "foundation/bytes.h"
#include "foundation/scramble.h"

namespace tarvelin {

namespace {

constexpr int kLoginOffset = 0;
constexpr int kPasswordOffset = 64;
constexpr size_t kPasswordFieldSize = 48;
constexpr int kTargetOffset = 129;

}  // namespace

MigrationRecord MigrationRecord::FromStored(const uint8_t* stored) {
  MigrationRecord record;
  std::memcpy(record.bytes_.data(), stored, kMigrationRecordSize);
  ScrambleBytes(record.bytes_.data() + kPasswordOffset, kPasswordFieldSize, 0);
  return record;
}

MigrationRecord::Bytes MigrationRecord::StoredBytes() const {
  Bytes stored = bytes_;
  ScrambleBytes(stored.data() + kPasswordOffset, kPasswordFieldSize, 0);
  return stored;
}

std::string MigrationRecord::login() const {
  return GetPString(bytes_.data() + kLoginOffset, kMigrationLoginCapacity);
}
void MigrationRecord::set_login(std::string_view login) {
  PutPString(bytes_.data() + kLoginOffset, kMigrationLoginCapacity, login);
}
std::string MigrationRecord::password() const {
  return GetPString(bytes_.data() + kPasswordOffset, kMigrationPasswordCapacity);
}
void MigrationRecord::set_password(std::string_view password) {
  PutPString(bytes_.data() + kPasswordOffset, kMigrationPasswordCapacity, password);
}
std::string MigrationRecord::target() const {
  return GetPString(bytes_.data() + kTargetOffset, kMigrationTargetCapacity);
}
void MigrationRecord::set_target(std::string_view target) {
  PutPString(bytes_.data() + kTargetOffset, kMigrationTargetCapacity, target);
}

bool MigrationRecord::Matches(std::string_view login, std::string_view password) const {
  return this->login() == login && this->password() == password;
}

std::vector<MigrationRecord> ParseMigrationRecords(std::string_view content) {
  std::vector<MigrationRecord> records;
  records.reserve(content.size() / kMigrationRecordSize);
  for (size_t at = 0; at + kMigrationRecordSize <= content.size(); at += kMigrationRecordSize) {
    records.push_back(
        MigrationRecord::FromStored(reinterpret_cast<const uint8_t*>(content.data() + at)));
  }
  return records;
}

MigrationState MigrationStateOf(const std::vector<MigrationRecord>& records) {
  bool all_finished = true;
  for (const MigrationRecord& record : records) {
    if (record.state() == kMigrationFailed) return MigrationState::kSomeFailed;
    if (record.state() != kMigrationFinished) all_finished = false;
  }
  return all_finished ? MigrationState::kFinished : MigrationState::kInProgress;
}

const char* MigrationStateName(MigrationState state) {
  switch (state) {
    case MigrationState::kInProgress:
      return "in progress";
    case MigrationState::kSomeFailed:
      return "some failed";
    case MigrationState::kFinished:
      return "finished";
  }
  return "";
}

}  // namespace tarvelin
