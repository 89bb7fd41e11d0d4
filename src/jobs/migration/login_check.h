// The migration login check: logs in to this server as each listed user,
// which makes the POP3 service migrate that account on the spot. The
// server's address is the first entry of the server IP list ("localhost"
// when empty), also stored into variable 366 in memory; POP3 on port 110
// when variable 373 is 1, else IMAP on 143; a port after ":" in the address
// wins. Each login runs on a thread of its own, one after the other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/migration/login_session.h"
#include "jobs/migration/migration_list.h"

namespace tarvelin {

class Context;

struct MigrationLoginCheck {
  std::string user;
  bool passed = false;
  // Passed without connecting: the user name or password is empty.
  bool skipped = false;
  bool used_tls = false;
  std::string reason;  // why it failed
};

struct LoginCheckOptions {
  // The bound of the connect and of every wait for an answer; 0 takes the
  // configured time-out (ServerConfig offset 242, seconds), or 30 seconds
  // when that is 0.
  int timeout_ms = 0;
};

// The first entry of the server IP list, trimmed; "localhost" when empty.
std::string MigrationServerAddressOf(const Context& context);

// Stores the address into variable 366 and checks every pair.
std::vector<MigrationLoginCheck> CheckMigrationLogins(Context& context,
                                             const std::vector<MigrationLogin>& logins,
                                             const LoginCheckOptions& options = {});

bool AnyLoginFailed(const std::vector<MigrationLoginCheck>& checks);

}  // namespace tarvelin
