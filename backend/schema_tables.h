// The tables of domains and accounts, in SQLite's and PostgreSQL's SQL.
//
//   schema_version(version)             one row; this library writes 1
//   domains(ordinal, name, binding, record)
//       ordinal: identity, the list order; name: lower-cased, unique;
//       binding: the bound addresses ("" for none); record: the 1169-byte
//       DomainRecord, NULL until one is saved
//   accounts(id, domain, position, type, mailbox_lower, full_name, record)
//       domain: the domain's ordinal (its accounts go with it); position:
//       0-based, unique within the domain, gapless; type, mailbox_lower,
//       full_name (display name and note): taken from the 2848-byte record
//       on every write, for the lookups
//   account_aliases(account_id, domain, alias_lower)
//       one row per item of the record's alias list, trimmed and lower-cased
#pragma once

#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

// The version of the tables this library writes and reads.
inline constexpr int64_t kSchemaVersion = 1;

// Creates the tables that are missing and records the version.
Status CreateTables(SqlConnection& connection);
// Drops the tables of domains and accounts with everything in them.
Status DropTables(SqlConnection& connection);
// Run on a new connection: creates the tables in a database that holds no
// tables at all; refuses a database whose tables are of a newer version.
Status PrepareDatabase(SqlConnection& connection);

}  // namespace tarvelin::backend
