#include "connection_settings.h"

#include <algorithm>
#include <array>

#include "foundation/text.h"

namespace tarvelin::backend {
namespace {

constexpr std::array<std::string_view, 7> kPostgresKeys = {
    "host", "port", "dbname", "user", "password", "sslmode", "connect_timeout"};

}  // namespace

Result<ConnectionSettings> ParseConnectionText(std::string_view text) {
  ConnectionSettings settings;
  settings.redacted = RedactConnectionText(text);
  if (IsPostgresUri(text)) {
    settings.driver = Driver::kPostgres;
    settings.uri = std::string(text);
    return settings;
  }
  std::string driver;
  for (const std::string& raw : Split(text, ';')) {
    const std::string pair = Trim(raw);
    if (pair.empty()) continue;
    const size_t equals = pair.find('=');
    if (equals == std::string::npos) {
      return Status::InvalidArgument("'" + RedactConnectionText(pair) +
                                     "' in the connection text is not key=value");
    }
    const std::string key = ToLower(Trim(pair.substr(0, equals)));
    const std::string value = Trim(pair.substr(equals + 1));
    if (key == "driver") {
      driver = ToLower(value);
    } else if (key == "database") {
      settings.database = value;
    } else if (std::find(kPostgresKeys.begin(), kPostgresKeys.end(), key) != kPostgresKeys.end()) {
      settings.postgres.emplace_back(key, value);
    } else {
      return Status::InvalidArgument("unknown key '" + key + "' in the connection text");
    }
  }
  if (driver.empty() || driver == "sqlite") {
    settings.driver = Driver::kSqlite;
    if (!settings.postgres.empty()) {
      return Status::InvalidArgument("key '" + settings.postgres.front().first +
                                     "' does not apply to the sqlite driver");
    }
    if (settings.database.empty()) {
      return Status::InvalidArgument("the connection text names no database");
    }
    if (settings.database.front() != '/') {
      return Status::InvalidArgument("database '" + settings.database +
                                     "' is not an absolute path");
    }
    return settings;
  }
  if (driver == "postgresql" || driver == "postgres") {
    settings.driver = Driver::kPostgres;
    if (!settings.database.empty()) {
      return Status::InvalidArgument(
          "key 'database' does not apply to the postgresql driver (use dbname)");
    }
    return settings;
  }
  return Status::InvalidArgument("unknown driver '" + driver + "' (sqlite or postgresql)");
}

}  // namespace tarvelin::backend
