#include "jobs/storage/migration_steps.h"

#include <cstring>

#include "core/config/config_merge.h"
#include "core/config/config_save.h"
#include "core/context.h"
#include "foundation/bytes.h"
#include "schema/config_offsets.h"
#include "store/db/backend_library.h"

namespace tarvelin {

namespace {

constexpr int kDomainEntrySize = 96;
constexpr int kSampleStep = 97;

}  // namespace

Result<std::string> DatabaseDomainEntries(const BackendLibrary& backend) {
  BackendLibrary::Hold hold(backend);
  const int32_t count = backend.GetDomainCount();
  if (count < 0) return backend.Failure("DBGetDomainCount");
  std::string entries(static_cast<size_t>(count) * kDomainEntrySize, '\0');
  if (count > 0 && !backend.GetDomains(reinterpret_cast<uint8_t*>(entries.data()), count)) {
    return backend.Failure("DBGetDomains");
  }
  return entries;
}

std::vector<std::string> NamesOfEntries(std::string_view entries) {
  std::vector<std::string> names;
  for (size_t at = 0; at + kDomainEntrySize <= entries.size(); at += kDomainEntrySize) {
    names.push_back(
        GetPString(reinterpret_cast<const uint8_t*>(entries.data() + at), kDomainEntrySize - 1));
  }
  return names;
}

std::vector<int> SamplePositions(int count) {
  std::vector<int> positions;
  for (int position = 0; position < count; position += kSampleStep) positions.push_back(position);
  if (count > 0 && positions.back() != count - 1) positions.push_back(count - 1);
  return positions;
}

Result<int> DatabaseAccount(const BackendLibrary& backend, std::string_view domain, int position,
                            UserRecord* record) {
  BackendLibrary::Hold hold(backend);
  record->fill(0);
  const int32_t count = backend.GetUsers(domain, record->data(), position);
  if (count < 0) return backend.Failure("DBGetUsers");
  return count;
}

Status SameAccount(const UserRecord& files, const UserRecord& database, std::string_view domain,
                   int position) {
  if (files == database) return Status();
  size_t first = 0;
  while (files[first] == database[first]) ++first;
  return Status::Corruption("account " + std::to_string(position) + " of " + std::string(domain) +
                            " differs between the files and the database (from byte " +
                            std::to_string(first) + " on)");
}

Status SwitchStorageMode(Context& context, uint8_t mode, const std::string* connection_text) {
  ServerConfig& record = context.config.record;
  const uint8_t old_mode = record.Byte(offsets::kStorageMode);
  const std::string old_text = record.Text(offsets::kAccountDatabase);
  record.SetByte(offsets::kStorageMode, mode);
  if (connection_text != nullptr) record.SetText(offsets::kAccountDatabase, *connection_text);
  context.api.config_changed = false;
  const Status saved = SaveMergedConfiguration(context);
  if (!saved.ok()) {
    record.SetByte(offsets::kStorageMode, old_mode);
    record.SetText(offsets::kAccountDatabase, old_text);
    return saved;
  }
  UpdateConfiguration(context.Channel());
  return Status();
}

}  // namespace tarvelin
