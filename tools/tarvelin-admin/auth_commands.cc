// Logins and the password policy: auth, password check, password generate.
#include <iostream>
#include <optional>
#include <string>

#include "cli_context.h"
#include "core/accounts/authenticate.h"
#include "core/accounts/password_rules.h"
#include "password_input.h"
#include "schema/user_record.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

// The secret comes from standard input, never from the command line where
// other users could read it; one line, its line break removed (an empty
// one too: some accounts take any secret). Typed without echo on a
// terminal.
std::string ReadSecret() {
  if (StandardInputIsTerminal()) return ReadPassword("Password or answer", PasswordEntry::kOnce);
  std::string secret;
  std::getline(std::cin, secret);
  if (!secret.empty() && secret.back() == '\r') secret.pop_back();
  return secret;
}

const char* Reason(AuthRefusal why) {
  switch (why) {
    case AuthRefusal::kNone:
    case AuthRefusal::kUnknownAccount:
      return "no user account has this login";
    case AuthRefusal::kWrongSecret:
      return "wrong password or answer";
    case AuthRefusal::kAddressNotAllowed:
      return "the account's domain is not bound to this server address";
    case AuthRefusal::kLocked:
      return "the account is locked after too many failed logins";
  }
  return "";
}

// A plain no, as a client gets it; the reason only when asked for, since
// it tells which logins exist.
void Authenticate(Session& session, const std::string& login, const std::string& method,
                  const std::string& challenge, const std::string& address, bool verbose) {
  const std::optional<HashMethod> known =
      method.empty() ? std::optional<HashMethod>(HashMethod::kPlain) : KnownHashMethod(method);
  if (!known) {
    throw CommandError(verbose ? "login refused: " + login + ": the method " + method +
                                     " is unknown (PLAIN, MD5, CRAM-MD5, DIGEST-MD5, SHA1, "
                                     "SYNCML-MD5)"
                               : "login refused: " + login,
                       ExitCode::kRefused);
  }
  AuthRequest request;
  request.method = *known;
  request.login = login;
  request.secret = ReadSecret();
  request.address = address;
  request.challenge = challenge;
  AuthResult result;
  AuthRefusal why = AuthRefusal::kNone;
  if (!AuthenticateAccount(session.context(), request, &result, &why)) {
    throw CommandError(
        verbose ? "login refused: " + login + ": " + Reason(why) : "login refused: " + login,
        ExitCode::kRefused);
  }
  const std::string aliases = AliasListOf(result.record);
  session.out.Emit({{"accepted", true}, {"domain", result.domain}, {"aliases", aliases}},
                   "accepted: " + aliases + " in " + result.domain);
}

void PasswordCheck(Session& session, const std::string& password, const std::string& mailbox,
                   const std::string& aliases) {
  Check(PasswordPolicyVerdict(session.context().config.record, password, mailbox, aliases));
  session.out.Emit({{"accepted", true}}, "the password meets the policy");
}

}  // namespace

void RegisterAuthCommands(CLI::App& app, Session& session) {
  static std::string login, method, challenge, address;
  CLI::App* auth = app.add_subcommand(
      "auth", "Check a login; the password or answer is read from standard input");
  auth->add_option("LOGIN", login, "Mailbox name, or alias@domain with alias logins")->required();
  auth->add_option("--method", method,
                   "PLAIN (default), MD5, CRAM-MD5, DIGEST-MD5, SHA1 or SYNCML-MD5");
  auth->add_option("--challenge", challenge, "The challenge the answer was computed for");
  auth->add_option("--address", address, "The server address the client connected to");
  static bool verbose = false;
  auth->add_flag("-v,--verbose", verbose,
                 "Say why a login is refused: unknown account, wrong secret, account locked, "
                 "method unknown, address not allowed");
  auth->callback([&session] {
    session.Open();
    Authenticate(session, login, method, challenge, address, verbose);
  });

  CLI::App* password = app.add_subcommand("password", "The password policy");
  password->require_subcommand(1);
  static std::string mailbox, aliases;
  CLI::App* check = password->add_subcommand(
      "check",
      "Check a password against the policy: typed without echo on a terminal, else the first "
      "line of standard input");
  check->add_option("MAILBOX", mailbox, "The account's mailbox name");
  check->add_option("ALIASES", aliases, "The account's aliases, separated by \";\"");
  check->callback([&session] {
    session.Open();
    PasswordCheck(session, ReadPassword("Password", PasswordEntry::kOnce), mailbox, aliases);
  });

  CLI::App* generate = password->add_subcommand("generate", "A new password by the policy");
  generate->callback([&session] {
    session.Open();
    const std::string generated = GenerateAccountPassword(session.context().config.record,
                                                          EnvRandomBelow(session.context().env()));
    session.out.Emit({{"password", generated}}, generated);
  });
}

}  // namespace tarvelin::cli
