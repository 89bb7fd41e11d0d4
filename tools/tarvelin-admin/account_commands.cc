// `account list|find|show|set`: the accounts of a domain, where an address
// leads, and the settings of one account by id.
#include <memory>
#include <string>

#include "cli_context.h"
#include "cli_values.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/account_walk.h"
#include "core/accounts/user_settings.h"
#include "schema/user_record.h"

namespace tarvelin::cli {

namespace {

const char* TypeName(uint8_t type) {
  static const char* const kNames[] = {"user",    "list",    "executable",  "notification",
                                       "routing", "catalog", "list server", "group"};
  return type < 8 ? kNames[type] : "unknown";
}

nlohmann::json AccountJson(int position, const UserRecord& record) {
  return {{"position", position},
          {"type", AccountTypeOf(record)},
          {"kind", TypeName(AccountTypeOf(record))},
          {"aliases", AliasListOf(record)}};
}

std::string AccountLine(int position, const UserRecord& record) {
  return std::to_string(position) + "\t" + TypeName(AccountTypeOf(record)) + "\t" +
         AliasListOf(record) + "\n";
}

// A query names account settings as apiconst.pas does; without that file
// every query would quietly match nothing.
void AccountList(Session& session, const std::string& domain, const std::string& query) {
  const Context& context = session.context();
  const std::string name = Checked(ResolveDomainName(context, domain));
  if (!query.empty() && context.properties().entries().empty()) {
    throw CommandError("no property names for the query: apiconst.pas is missing from " +
                       context.api.install_path);
  }
  nlohmann::json accounts = nlohmann::json::array();
  std::string human;
  if (std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context, name, query)) {
    while (walk->Next()) {
      accounts.push_back(AccountJson(walk->position(), walk->record()));
      human += AccountLine(walk->position(), walk->record());
    }
  }
  if (human.empty()) {
    human = query.empty() ? "(no accounts in " + name + ")"
                          : "(no accounts in " + name + " match the query)";
  }
  session.out.Emit(accounts, human);
}

void AccountFind(Session& session, const std::string& address) {
  FoundAccount found;
  if (!FindAccount(session.context(), address, /*follow_domain_alias=*/true, &found)) {
    throw CommandError("no account for " + address, ExitCode::kNotFound);
  }
  nlohmann::json json = AccountJson(found.position, found.record);
  json["domain"] = found.domain;
  session.out.Emit(json, found.domain + "\t" + AccountLine(found.position, found.record));
}

// The account an address reaches, as users.cfg holds it: the lookup may
// hand out folder delivery in its copy, so the record is loaded again. A
// delete by another program between the lookup and the load moves the
// account away from the position found: the lookup is made again.
FoundAccount StoredAccount(Context& context, const std::string& address) {
  constexpr int kAttempts = 5;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    FoundAccount found;
    if (!FindAccount(context, address, /*follow_domain_alias=*/true, &found)) {
      throw CommandError("no account for " + address, ExitCode::kNotFound);
    }
    const std::string wanted = AccountIdentity(found.record);
    found.record = Checked(LoadAccount(context, found.domain, found.position));
    if (AccountIdentity(found.record) == wanted) return found;
  }
  throw CommandError("the account of " + address +
                     " kept moving while other programs changed its domain; run again");
}

// Accounts have always shown their date-times as day numbers in JSON.
nlohmann::json AccountValueJson(const SettingValue& value) {
  return value.kind() == SettingKind::kDateTime ? nlohmann::json(value.date_time()) : JsonOf(value);
}

nlohmann::json AccountHeader(const FoundAccount& found) {
  return {{"domain", found.domain},
          {"position", found.position},
          {"type", AccountTypeOf(found.record)},
          {"kind", TypeName(AccountTypeOf(found.record))}};
}

void AccountShow(Session& session, const std::string& address) {
  Context& context = session.context();
  const FoundAccount found = StoredAccount(context, address);
  nlohmann::json json = AccountHeader(found);
  json["settings"] = nlohmann::json::array();
  std::string human = found.domain + "\t" + std::to_string(found.position) + "\t" +
                      TypeName(AccountTypeOf(found.record)) + "\n";
  for (int32_t id : UserSettingIds(AccountTypeOf(found.record))) {
    const SettingShape shape = Checked(DescribeUserSetting(id));
    const SettingValue value =
        Checked(UserSettingValue(context.config.record, found.record.data(), id));
    const char* kind = SettingKindName(shape.kind);
    json["settings"].push_back({{"id", id}, {"kind", kind}, {"value", AccountValueJson(value)}});
    human += std::to_string(id) + "\t" + kind + "\t" + HumanOf(value) + "\n";
  }
  session.out.Emit(json, human);
}

void AccountSet(Session& session, const std::string& address, int32_t id, const std::string& text) {
  Context& context = session.context();
  const SettingShape shape = Checked(DescribeUserSetting(id));
  const SettingValue value = ValueOfText(shape, text);
  FoundAccount found = StoredAccount(context, address);
  const std::string what = "setting " + std::to_string(id) + " of " + address + " was not saved";
  // Load, change and save in one step: a change another program makes to
  // the same account meanwhile is not written over.
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, found.domain);
  Check(held.status(), what);
  found = StoredAccount(context, address);
  const std::string loaded = AccountIdentity(found.record);
  Check(SetUserSettingValue(found.record.data(), id, value), what);
  // Refused, nothing written, if another program moved the account meanwhile.
  Check(SaveAccount(context, found.domain, found.position, found.record, "", loaded), what);
  const SettingValue stored =
      Checked(UserSettingValue(context.config.record, found.record.data(), id));
  nlohmann::json json = AccountHeader(found);
  json["id"] = id;
  json["kind"] = SettingKindName(shape.kind);
  json["value"] = AccountValueJson(stored);
  json["saved"] = true;
  session.out.Emit(json, std::to_string(id) + " = " + HumanOf(stored));
}

}  // namespace

void RegisterAccountCommands(CLI::App& app, Session& session) {
  CLI::App* account = app.add_subcommand("account", "Accounts of a domain");
  account->require_subcommand(1);

  static std::string domain;
  static std::string query;
  CLI::App* list = account->add_subcommand("list", "List the accounts of a domain in file order");
  list->add_option("DOMAIN", domain, "Domain name")->required();
  list->add_option("--query", query,
                   "Only the accounts this condition holds for, e.g. \"U_Type = 0\" or "
                   "\"U_Alias like 'a%'\"");
  list->callback([&session] {
    session.Open();
    AccountList(session, domain, query);
  });

  static std::string address;
  CLI::App* find =
      account->add_subcommand("find", "Show the account an address reaches, and where it is");
  find->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  find->callback([&session] {
    session.Open();
    AccountFind(session, address);
  });

  CLI::App* show = account->add_subcommand("show", "Show every setting of an account by id");
  show->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  show->callback([&session] {
    session.Open();
    AccountShow(session, address);
  });

  static int32_t id = 0;
  static std::string value;
  CLI::App* set = account->add_subcommand("set", "Change one setting of an account and save it");
  set->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value,
                  "Number, flag (1/0), date (yyyy-mm-dd [hh:mm:ss]) or text, by the id's kind")
      ->required();
  set->callback([&session] {
    session.Open();
    AccountSet(session, address, id, value);
  });

  RegisterAccountChangeCommands(*account, session);
  RegisterAccountImportCommand(*account, session);
}

}  // namespace tarvelin::cli
