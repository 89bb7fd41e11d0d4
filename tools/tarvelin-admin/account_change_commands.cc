// account add, account password, account delete and account save: accounts
// changed through the library's own checks and follow-ups.
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "account_guards.h"
#include "cli_context.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/password_rules.h"
#include "schema/user_settings.h"
#include "core/named_file.h"
#include "foundation/list_match.h"
#include "foundation/text.h"
#include "new_account.h"
#include "password_input.h"
#include "schema/user_record.h"
#include "stored_account.h"

namespace tarvelin::cli {

namespace {

// A user account is never left without a password: an empty one lets
// anybody in. The one made here passes the installation's policy and is
// shown once, here.
void AccountAdd(Session& session, NewAccount account) {
  const bool generated = account.type == kUserAccount && !account.password.has_value();
  if (generated) {
    Context& context = session.context();
    account.password =
        GenerateAccountPassword(context.config.record, EnvRandomBelow(context.env()));
  }
  const AddedAccount added = AddNewAccount(session.context(), account);
  nlohmann::json json = {{"domain", added.domain},
                         {"position", added.position},
                         {"type", account.type},
                         {"added", true}};
  std::string human = "added " + account.address + " at " + std::to_string(added.position);
  if (generated) {
    json["password"] = *account.password;
    human += "\npassword: " + *account.password;
  }
  session.out.Emit(json, human);
}

// Another program may change the account meanwhile: the password goes in
// through the same locked load, change and save as account set.
void AccountPassword(Session& session, const std::string& address, const std::string& password) {
  Context& context = session.context();
  const std::string what = "the password of " + address + " was not changed";
  FoundAccount found = FindStoredAccount(context, address);
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, found.domain);
  Check(held.status(), what);
  found = FindStoredAccount(context, address);
  if (AccountTypeOf(found.record) != kUserAccount) {
    throw CommandError(what + ": only user accounts have a password", ExitCode::kRefused);
  }
  const int capacity = Checked(DescribeUserSetting(kAccountPasswordId)).size;
  if (password.size() > static_cast<size_t>(capacity)) {
    throw CommandError(what + ": it is longer than " + std::to_string(capacity) + " characters",
                       ExitCode::kRefused);
  }
  const std::string loaded = AccountIdentity(found.record);
  Check(SetUserSettingValue(found.record.data(), kAccountPasswordId, SettingValue::Text(password)),
        what);
  Check(SaveAccount(context, found.domain, found.position, found.record, "", loaded), what);
  session.out.Emit({{"domain", found.domain}, {"position", found.position}, {"changed", true}},
                   "changed the password of " + address);
}

bool HoldsAlias(const UserRecord& record, const std::string& alias) {
  for (const std::string& item : ListItems(AliasListOf(record))) {
    if (EqualsNoCase(item, alias)) return true;
  }
  return false;
}

void AccountDelete(Session& session, const std::string& text) {
  Context& context = session.context();
  const AccountAddress address = SplitAccountAddress(text);
  const std::string domain = Checked(ResolveDomainName(context, address.domain));
  // The account whose own alias list names the local part: a group item
  // that merely matches it must not make another account the one deleted.
  const int position = PositionOfAlias(context, domain, address.local);
  const Result<UserRecord> record = LoadAccount(context, domain, position);
  if (position < 0 || !record.ok() || !HoldsAlias(*record, address.local)) {
    throw CommandError("no account has the alias " + text, ExitCode::kNotFound);
  }
  // Refused, nothing deleted, if another program moved the account meanwhile.
  Check(DeleteAccount(context, domain, position, "", AccountIdentity(*record)),
        "cannot delete " + text);
  session.out.Emit({{"domain", domain}, {"position", position}, {"deleted", true}},
                   "deleted " + text + " (position " + std::to_string(position) + ")");
}

UserRecord ReadRecord(const Context& context, const std::string& file) {
  std::string bytes;
  if (file == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) throw CommandError("cannot read standard input");
  } else {
    bytes = Checked(ReadNamedFile(context, file));
  }
  UserRecord record{};
  if (bytes.size() != record.size()) {
    throw CommandError((file == "-" ? std::string("standard input") : file) + " holds " +
                           std::to_string(bytes.size()) + " bytes; an account record is exactly " +
                           std::to_string(record.size()),
                       ExitCode::kRefused);
  }
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return record;
}

void AccountSave(Session& session, const std::string& domain_name, int32_t position,
                 const std::string& file) {
  Context& context = session.context();
  const UserRecord record = ReadRecord(context, file);
  const std::string domain = Checked(ResolveDomainName(context, domain_name));
  // Only an existing account is replaced, and only while it is the one
  // loaded here.
  const UserRecord loaded = Checked(LoadAccount(context, domain, position));
  Check(SaveAccount(context, domain, position, record, "", AccountIdentity(loaded)),
        "cannot save the account at position " + std::to_string(position) + " of " + domain);
  session.out.Emit({{"domain", domain}, {"position", position}, {"saved", true}},
                   "saved the account at position " + std::to_string(position) + " of " + domain);
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
                "Read the password from standard input (one line); without it a user account "
                "gets a password made by the policy, shown once");
  add->add_option("--type", type,
                  "0 user (default), 1 list, 2 executable, 3 notification, 4 routing, "
                  "5 catalog, 6 list server, 7 group")
      ->check(CLI::Range(0, 7));
  add->add_option("--set", added.settings,
                  "NAME=VALUE or ID=VALUE, as account set takes them (repeatable)");
  add->callback([&session] {
    session.Open();
    added.type = static_cast<uint8_t>(type);
    if (password_stdin) added.password = ReadPassword("Password", PasswordEntry::kConfirm);
    AccountAdd(session, added);
  });

  static std::string address;
  CLI::App* password = account.add_subcommand(
      "password",
      "Change the password of a user account: typed twice without echo on a terminal, else "
      "the first line of standard input");
  password->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  password->callback([&session] {
    session.Open();
    // A wrong address is told before anybody types; the password is read
    // before anything is locked, as a person may take a while.
    FindStoredAccount(session.context(), address);
    const std::string typed = ReadPassword("New password", PasswordEntry::kConfirm);
    AccountPassword(session, address, typed);
  });

  CLI::App* remove =
      account.add_subcommand("delete", "Delete an account (and a user account's own mail folder)");
  remove->add_option("ADDRESS", address, "local@domain")->required();
  remove->callback([&session] {
    session.Open();
    AccountDelete(session, address);
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
    AccountSave(session, domain, position, file);
  });
}

}  // namespace tarvelin::cli
