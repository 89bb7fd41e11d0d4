// account add, account delete and account save: accounts changed through
// the library's own checks and follow-ups.
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "schema/user_record.h"
#include "api/c/the_context.h"
#include "cli_context.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "new_account.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

// The secret comes from standard input, never from the command line where
// other users could read it; one line, its line break removed.
std::string PasswordFromStandardInput() {
  std::string password;
  std::getline(std::cin, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) throw CommandError("no password on standard input");
  return password;
}

void AccountAdd(const Output& out, const NewAccount& account) {
  const int32_t position = AddNewAccount(account);
  const AccountAddress address = SplitAccountAddress(account.address);
  out.Emit({{"domain", ToLower(address.domain)},
            {"position", position},
            {"type", account.type},
            {"added", true}},
           "added " + account.address + " at " + std::to_string(position));
}

bool HoldsAlias(const UserRecord& record, const std::string& alias) {
  for (const std::string& item : ListItems(AliasListOf(record))) {
    if (EqualsNoCase(item, alias)) return true;
  }
  return false;
}

// The account whose own alias list names the local part: a group item
// that merely matches it must not make another account the one deleted.
int32_t PositionOfOwnAlias(const AccountAddress& address, const std::string& text) {
  if (::GetDomainIndex(address.domain.c_str()) < 0) {
    throw CommandError("no domain " + address.domain);
  }
  const int32_t position = ::GetUserIndex(address.domain.c_str(), address.local.c_str());
  UserRecord record{};
  if (position < 0 ||
      ::LoadUser(address.domain.c_str(), position, record.data(), kUserRecordSize) !=
          kUserRecordSize ||
      !HoldsAlias(record, address.local)) {
    throw CommandError("no account has the alias " + text);
  }
  return position;
}

void AccountDelete(const Output& out, const std::string& text) {
  const AccountAddress address = SplitAccountAddress(text);
  const int32_t position = PositionOfOwnAlias(address, text);
  if (::DeleteUser(address.domain.c_str(), position) != 0) {
    throw CommandError("cannot delete " + text + ": users.cfg could not be rewritten");
  }
  out.Emit({{"domain", ToLower(address.domain)}, {"position", position}, {"deleted", true}},
           "deleted " + text + " (position " + std::to_string(position) + ")");
}

std::string ReadRecordFile(const std::string& file) {
  std::string bytes;
  if (file == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) throw CommandError("cannot read standard input");
  } else if (!TheContext().env().ReadFile(file, &bytes).ok()) {
    throw CommandError("cannot read " + file);
  }
  if (bytes.size() != static_cast<size_t>(kUserRecordSize)) {
    throw CommandError((file == "-" ? std::string("standard input") : file) + " holds " +
                       std::to_string(bytes.size()) + " bytes; an account record is exactly " +
                       std::to_string(kUserRecordSize));
  }
  return bytes;
}

void AccountSave(const Output& out, const std::string& domain, int32_t position,
                 const std::string& file) {
  const std::string bytes = ReadRecordFile(file);
  if (::GetDomainIndex(domain.c_str()) < 0) throw CommandError("no domain " + domain);
  UserRecord stored{};
  if (::LoadUser(domain.c_str(), position, stored.data(), kUserRecordSize) != kUserRecordSize) {
    throw CommandError("no account at position " + std::to_string(position) + " of " + domain);
  }
  if (::SaveUser(domain.c_str(), position, bytes.data(), kUserRecordSize) != 0) {
    throw CommandError("cannot save the account at position " + std::to_string(position) + " of " +
                       domain +
                       ": an alias is taken or not valid, the mailbox name is not valid or "
                       "makes logins ambiguous, the password policy refuses the password, or "
                       "users.cfg could not be written");
  }
  out.Emit({{"domain", ToLower(domain)}, {"position", position}, {"saved", true}},
           "saved the account at position " + std::to_string(position) + " of " + ToLower(domain));
}

}  // namespace

void RegisterAccountChangeCommands(CLI::App& account, Session& session) {
  static NewAccount added;
  static bool password_stdin = false;
  static int type = 0;
  CLI::App* add =
      account.add_subcommand("add", "Add an account whose one alias is the address's local part");
  add->add_option("ADDRESS", added.address, "local@domain")->required();
  add->add_flag("--password-stdin", password_stdin,
                "Read the password from standard input (one line)");
  add->add_option("--type", type,
                  "0 user (default), 1 list, 2 executable, 3 notification, 4 routing, "
                  "5 catalog, 6 list server, 7 group")
      ->check(CLI::Range(0, 7));
  add->add_option("--set", added.settings, "ID=VALUE, as account set takes it (repeatable)");
  add->callback([&session] {
    session.Open();
    added.type = static_cast<uint8_t>(type);
    if (password_stdin) added.password = PasswordFromStandardInput();
    AccountAdd(session.out, added);
  });

  static std::string address;
  CLI::App* remove =
      account.add_subcommand("delete", "Delete an account (and a user account's own mail folder)");
  remove->add_option("ADDRESS", address, "local@domain")->required();
  remove->callback([&session] {
    session.Open();
    AccountDelete(session.out, address);
  });

  static std::string domain;
  static int32_t position = 0;
  static std::string file;
  CLI::App* save = account.add_subcommand(
      "save", "Replace the account at a position with a 2848-byte record, with every check");
  save->add_option("DOMAIN", domain, "Domain name")->required();
  save->add_option("POSITION", position, "Position in the domain's users.cfg")->required();
  save->add_option("FILE", file, "The record as LoadUser gives it; \"-\" for standard input")
      ->required();
  save->callback([&session] {
    session.Open();
    AccountSave(session.out, domain, position, file);
  });
}

}  // namespace tarvelin::cli
