// The texts a migration is given: the account list (the "bulk" text, lines
// separated by line feeds, not a file name), its queue lines
// "login:password:target" and login pairs, and the server address
// "host[:port]". Pure functions over the text, for any bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/migration/migration_record.h"

namespace tarvelin {

// The lines of an account list text: split at LF, trimmed, empty ones
// skipped.
std::vector<std::string> MigrationListLines(std::string_view list);

// The record of one queue line "login:password:target": fields cut to 63,
// 47 and 126 characters; a target without "@" is a domain and becomes
// login@target. State 1.
MigrationRecord QueueRecordOf(std::string_view line, MigrationProtocol protocol);

struct MigrationLogin {
  std::string user;
  std::string password;
};

// The pairs of an account list text: every trimmed line holding ":",
// fields 0 and 1.
std::vector<MigrationLogin> MigrationListLogins(std::string_view list);

// "host" or "host:port" split; a bracketed IPv6 address keeps its colons.
struct ServerAddress {
  std::string host;
  uint16_t port = 0;  // 0 when none was given
};
ServerAddress ParseServerAddress(std::string_view address);

}  // namespace tarvelin
