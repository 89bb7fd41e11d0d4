// CreateTables and DropTables of the automation API object: the tables of
// the database of one service, chosen by number: 0 the accounts, 1 the
// log, 2 the groupware, 3 the challenge-response store
// (core/database_tables.h, groupware_tables.h, challenge_tables.h).
#pragma once

#include <optional>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

enum class TableService { kAccounts = 0, kLogs = 1, kGroupware = 2, kChallenge = 3 };

// nullopt for a number that names no service.
std::optional<TableService> TableServiceOf(int number);

Status CreateServiceTables(Context& context, TableService service, std::string_view connection);
Status DropServiceTables(Context& context, TableService service);

}  // namespace tarvelin
