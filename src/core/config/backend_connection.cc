#include "core/config/backend_connection.h"

#include "core/context.h"
#include "core/logging.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"

namespace tarvelin {

namespace {

constexpr int kDatabaseLog = 3381;    // setting 108
constexpr int kLogDestination = 255;  // setting 21: 1 = the database

}  // namespace

bool BackendWanted(const Context& context) {
  const ServerConfig& record = context.config.record;
  return record.Byte(offsets::kStorageMode) == 2 ||
         (record.Byte(kDatabaseLog) != 0 && record.Byte(kLogDestination) == 1);
}

std::string AccountConnectionText(const Context& context) {
  return ResolveConnectionText(context.config.record.Text(offsets::kAccountDatabase),
                               context.api.config_path);
}

void ConnectBackend(Context& context) {
  if (!BackendWanted(context)) return;
  BackendLibrary& backend = context.backend();
  if (!backend.Load(context.api.install_path).ok()) return;
  const Status connected =
      backend.Connect(context.api.install_path, AccountConnectionText(context));
  if (!connected.ok()) LogError(context, "DBSetConnection", connected.message(), true, -1);
}

}  // namespace tarvelin
