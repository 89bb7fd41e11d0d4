#include "jobs/storage/storage_status.h"

#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/config/backend_connection.h"
#include "core/context.h"
#include "core/database_tables.h"
#include "foundation/connection_text.h"
#include "foundation/text.h"
#include "jobs/storage/migration_steps.h"
#include "platform/file_system.h"
#include "schema/config_offsets.h"
#include "store/file/users_file.h"

namespace tarvelin {

namespace {

constexpr size_t kDomainEntrySize = 96;


std::string ValueOf(std::string_view text, std::string_view key) {
  for (const std::string& pair : Split(text, ';')) {
    const size_t equals = pair.find('=');
    if (equals != std::string::npos && ToLower(Trim(pair.substr(0, equals))) == key) {
      return Trim(pair.substr(equals + 1));
    }
  }
  return {};
}

// The SQLite file of a resolved text, when it names one that is missing.
bool MissingSqliteFile(Context& context, std::string_view text) {
  if (DriverOf(text) != "sqlite") return false;
  const std::string file = ValueOf(text, "database");
  return !file.empty() && !FileExists(context.env(), file);
}

std::optional<StorageCounts> DatabaseCounts(Context& context) {
  Result<std::string> entries = DatabaseDomainEntries(context.backend());
  if (!entries.ok()) return std::nullopt;
  StorageCounts counts;
  UserRecord record;
  for (const std::string& name : NamesOfEntries(*entries)) {
    Result<int> held = DatabaseAccount(context.backend(), name, 0, &record);
    if (!held.ok()) return std::nullopt;
    ++counts.domains;
    counts.accounts += *held;
  }
  return counts;
}

// domains.cfg and each listed domain's users.cfg, read directly.
std::optional<StorageCounts> FileCounts(Context& context) {
  std::string entries;
  if (!context.env().ReadFile(context.api.config_path + "domains.cfg", &entries).ok()) {
    return std::nullopt;
  }
  entries.resize(entries.size() - entries.size() % kDomainEntrySize);
  StorageCounts counts;
  for (const std::string& name : NamesOfEntries(entries)) {
    ++counts.domains;
    const std::string folder = DomainFolder(context, name);
    if (!folder.empty()) counts.accounts += CountUsers(context.env(), folder);
  }
  return counts;
}

std::optional<StorageCounts> StoreCounts(Context& context) {
  StorageCounts counts;
  for (int i = 0; i < context.domains().Count(); ++i) {
    ++counts.domains;
    counts.accounts += context.accounts().Count(context.domains().NameAt(i));
  }
  return counts;
}

}  // namespace

std::string DriverOf(std::string_view text) {
  if (IsPostgresUri(Trim(text))) return "postgresql";
  const std::string driver = ToLower(ValueOf(text, "driver"));
  if (driver.empty() || driver == "sqlite") return "sqlite";
  if (driver == "postgres" || driver == "postgresql") return "postgresql";
  return driver;
}

StorageStatus InspectStorage(Context& context) {
  StorageStatus status;
  status.database = context.config.record.Byte(offsets::kStorageMode) == 2;
  const std::string text = AccountConnectionText(context);
  status.driver = DriverOf(text);
  status.connection = RedactConnectionText(text);

  if (Status loaded = context.backend().Load(context.api.install_path); !loaded.ok()) {
    status.library_problem = loaded.message();
  } else if (MissingSqliteFile(context, text)) {
    status.connection_problem =
        "the database file " + ValueOf(text, "database") + " does not exist";
  } else if (Status checked =
                 CheckDbConnection(context, context.config.record.Text(offsets::kAccountDatabase));
             !checked.ok()) {
    status.connection_problem = checked.message();
  }

  if (!status.database) {
    status.in_use = StoreCounts(context);
  } else {
    if (status.reachable() && context.backend().Connect(context.api.install_path, text).ok()) {
      status.in_use = DatabaseCounts(context);
    }
    status.files = FileCounts(context);
  }
  return status;
}

}  // namespace tarvelin
