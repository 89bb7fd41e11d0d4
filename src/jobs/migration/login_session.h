// One login to a POP3 or IMAP server over a NetworkStream, as the migration
// check does it: the greeting, the capabilities, STLS/STARTTLS when the
// server offers it and TLS can be set up here, the login, then QUIT or
// LOGOUT. Every read waits at most the time-out; a line longer than
// kMaxProtocolLine is a broken answer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

inline constexpr size_t kMaxProtocolLine = 16 * 1024;

enum class MailProtocol { kPop3, kImap };

struct LoginResult {
  bool accepted = false;
  bool used_tls = false;
  // Why the login did not pass; empty when it did.
  std::string reason;
};

// The user name or password as one IMAP string: an atom when it is one,
// else a quoted string with "\" and double quotes escaped. InvalidArgument
// for a text that no IMAP string may hold without a literal (CR, LF, NUL).
Result<std::string> ImapString(std::string_view text);

// The login over an open connection.
LoginResult LoginOver(NetworkStream& stream, MailProtocol protocol, std::string_view user,
                      std::string_view password, int timeout_ms);

}  // namespace tarvelin
