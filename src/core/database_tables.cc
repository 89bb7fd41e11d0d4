#include "core/database_tables.h"

#include <string>

#include "core/config/config_save.h"
#include "core/context.h"
#include "foundation/text.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"

namespace tarvelin {

namespace {

constexpr int kLogDatabase = 3255;  // variable 107
constexpr size_t kAccountTextMax = 255;
constexpr size_t kLogTextMax = 125;

enum class Tables { kAccounts, kLogs };

// Runs `step` on the tables of `text` with that connection current, then
// makes the earlier connection current again.
Status OnConnection(Context& context, const std::string& text, Tables tables, bool create) {
  BackendLibrary& backend = context.backend();
  TARVELIN_RETURN_IF_ERROR(backend.Load(context.api.install_path));
  BackendLibrary::Hold hold(backend);
  const std::string earlier = backend.GetConnection();
  TarvelinDbConnection* connection =
      backend.SetConnection(ResolveConnectionText(text, context.api.config_path));
  Status result;
  if (connection == nullptr) {
    result = backend.Failure("DBSetConnection");
  } else {
    const char* what = tables == Tables::kAccounts
                           ? (create ? "DBCreateTables" : "DBDropTables")
                           : (create ? "DBCreateLogTables" : "DBDropLogTables");
    const bool done =
        tables == Tables::kAccounts
            ? (create ? backend.CreateTables(connection) : backend.DropTables(connection))
            : (create ? backend.CreateLogTables(connection) : backend.DropLogTables(connection));
    if (!done) result = backend.Failure(what);
  }
  if (!earlier.empty()) backend.SetConnection(earlier);
  return result;
}

Status StoreAndCreate(Context& context, int offset, std::string_view connection, size_t max,
                      Tables tables) {
  const std::string text = CutTo(connection, max);
  TARVELIN_RETURN_IF_ERROR(context.backend().Load(context.api.install_path));
  context.config.record.SetText(offset, text);
  context.api.config_changed = true;
  SaveConfig(context);
  return OnConnection(context, text, tables, /*create=*/true);
}

}  // namespace

Status CreateAccountTables(Context& context, std::string_view connection) {
  return StoreAndCreate(context, offsets::kAccountDatabase, connection, kAccountTextMax,
                        Tables::kAccounts);
}

Status CreateLogTables(Context& context, std::string_view connection) {
  return StoreAndCreate(context, kLogDatabase, connection, kLogTextMax, Tables::kLogs);
}

Status DropAccountTables(Context& context) {
  return OnConnection(context, context.config.record.Text(offsets::kAccountDatabase),
                      Tables::kAccounts, /*create=*/false);
}

Status DropLogTables(Context& context) {
  return OnConnection(context, context.config.record.Text(kLogDatabase), Tables::kLogs,
                      /*create=*/false);
}

Status CheckDbConnection(Context& context, std::string_view connection) {
  BackendLibrary& backend = context.backend();
  TARVELIN_RETURN_IF_ERROR(backend.Load(context.api.install_path));
  BackendLibrary::Hold hold(backend);
  const std::string text =
      ResolveConnectionText(CutTo(connection, kAccountTextMax), context.api.config_path);
  if (backend.CheckConnection(text)) return Status();
  return backend.Failure("DBCheckConnection");
}

}  // namespace tarvelin
