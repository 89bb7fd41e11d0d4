// ConnectionSettings: a connection text read into its parts. The text is
// ";"-separated key=value pairs (keys in any case), or a "postgresql://"
// (or "postgres://") URI:
//   driver=sqlite;database=/srv/mail/config/tarvelin.db
//   driver=postgresql;host=/run/pg;port=5432;dbname=mail;user=mail;password=...;sslmode=...
// The database of SQLite must be an absolute path: the administration
// library resolves a relative one (and an empty text) against its
// configuration folder before the text reaches the backend.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/connection_text.h"
#include "foundation/status.h"

namespace tarvelin::backend {

enum class Driver { kSqlite, kPostgres };

struct ConnectionSettings {
  Driver driver = Driver::kSqlite;
  // SQLite: the database file.
  std::string database;
  // PostgreSQL: libpq's keywords and values (host, port, dbname, user,
  // password, sslmode, connect_timeout) in the order given, or the URI.
  std::vector<std::pair<std::string, std::string>> postgres;
  std::string uri;
  // The text as given, with its password replaced by "***": for messages.
  std::string redacted;
};

// The settings, or InvalidArgument saying which key, driver or value is
// wrong ("unknown key 'foo' in the connection text").
Result<ConnectionSettings> ParseConnectionText(std::string_view text);

}  // namespace tarvelin::backend
