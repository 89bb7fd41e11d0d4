#include "jobs/service_tables/service_tables.h"

#include "core/database_tables.h"
#include "jobs/challenge/challenge_tables.h"
#include "jobs/service_tables/groupware_tables.h"

namespace tarvelin {

std::optional<TableService> TableServiceOf(int number) {
  if (number < 0 || number > 3) return std::nullopt;
  return static_cast<TableService>(number);
}

Status CreateServiceTables(Context& context, TableService service, std::string_view connection) {
  switch (service) {
    case TableService::kAccounts:
      return CreateAccountTables(context, connection);
    case TableService::kLogs:
      return CreateLogTables(context, connection);
    case TableService::kGroupware:
      return CreateGroupwareTables(context, connection);
    case TableService::kChallenge:
      return CreateChallengeTables(context, connection);
  }
  return Status::InvalidArgument("no such service");
}

Status DropServiceTables(Context& context, TableService service) {
  switch (service) {
    case TableService::kAccounts:
      return DropAccountTables(context);
    case TableService::kLogs:
      return DropLogTables(context);
    case TableService::kGroupware:
      return DropGroupwareTables(context);
    case TableService::kChallenge:
      return DropChallengeTables(context);
  }
  return Status::InvalidArgument("no such service");
}

}  // namespace tarvelin
