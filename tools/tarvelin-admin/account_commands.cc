// `account list|find|show|set`: the accounts of a domain, where an address
// leads, and the settings of one account by name or number.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "account_guards.h"
#include "cli_context.h"
#include "cli_values.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/account_walk.h"
#include "schema/user_settings.h"
#include "foundation/text.h"
#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "setting_names.h"
#include "stored_account.h"

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

// A query is checked before the walk: a mistake in it would otherwise
// quietly match nothing. Its names are the installation's, or the shipped
// ones where apiconst.pas is missing.
void AccountList(Session& session, const std::string& domain, const std::string& query) {
  const Context& context = session.context();
  const std::string name = Checked(ResolveDomainName(context, domain));
  const SettingNames names(context, SettingFamily::kAccount);
  const Status checked = CheckQuery(names.table(), query);
  if (!checked.ok()) throw CommandError(checked.message(), ExitCode::kUsage);
  struct Listed {
    int position;
    UserRecord record;
  };
  std::vector<Listed> listed;
  if (std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context, name, query, names.table())) {
    while (walk->Next()) listed.push_back({walk->position(), walk->record()});
  }
  // People look accounts up by name; the position stays beside each.
  std::stable_sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
    return ToLower(AliasListOf(a.record)) < ToLower(AliasListOf(b.record));
  });
  nlohmann::json accounts = nlohmann::json::array();
  std::string human;
  for (const Listed& account : listed) {
    accounts.push_back(AccountJson(account.position, account.record));
    human += AccountLine(account.position, account.record);
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

constexpr int32_t kRecordId = 6;  // the whole record, packed
constexpr char kPasswordWay[] = "account password ADDRESS";
constexpr char kMasked[] = "********";

void AccountShow(Session& session, const std::string& address, bool show_password) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kAccount);
  const FoundAccount found = FindStoredAccount(context, address);
  nlohmann::json json = AccountHeader(found);
  json["settings"] = nlohmann::json::array();
  std::string human = found.domain + "\t" + std::to_string(found.position) + "\t" +
                      TypeName(AccountTypeOf(found.record)) + "\n";
  // Screens and terminal logs are read over shoulders: the password, and
  // the packed record that holds it, are masked. An empty password gives
  // nothing away and is worth seeing.
  const bool hide = !show_password && AccountTypeOf(found.record) == kUserAccount &&
                    found.record[user_offsets::kPassword] != 0;
  for (int32_t id : UserSettingIds(AccountTypeOf(found.record))) {
    const SettingShape shape = Checked(DescribeUserSetting(id));
    SettingValue value = Checked(UserSettingValue(context.config.record, found.record.data(), id));
    if (hide && (id == kAccountPasswordId || id == kRecordId)) value = SettingValue::Text(kMasked);
    const char* kind = SettingKindName(shape.kind);
    const std::string name = names.NameOf(id);
    json["settings"].push_back(
        {{"id", id}, {"name", name}, {"kind", kind}, {"value", AccountValueJson(value)}});
    human += (name.empty() ? "-" : name) + "\t" + std::to_string(id) + "\t" + kind + "\t" +
             HumanOf(value) + "\n";
  }
  session.out.Emit(json, human);
}

void AccountSet(Session& session, const std::string& address, const std::string& setting,
                const std::string& text) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kAccount);
  const int32_t id = names.IdOf(setting);
  RefuseTypeOrPasswordSetting(id, kPasswordWay);
  const SettingShape shape = Checked(DescribeUserSetting(id));
  const SettingValue value = ValueOfText(shape, text);
  FoundAccount found = FindStoredAccount(context, address);
  const std::string what = names.LabelOf(id) + " of " + address + " was not saved";
  // Load, change and save in one step: a change another program makes to
  // the same account meanwhile is not written over.
  const Result<std::unique_ptr<StoreLock>> held = HoldAccounts(context, found.domain);
  Check(held.status(), what);
  found = FindStoredAccount(context, address);
  const std::string loaded = AccountIdentity(found.record);
  const UserRecord before = found.record;
  Check(SetUserSettingValue(found.record.data(), id, value), what);
  RefuseTypeOrPasswordChange(before, found.record, kPasswordWay);
  // The library's save runs the checks of every change: aliases free, no
  // ambiguous login, the password policy. Refused, nothing written, if
  // another program moved the account meanwhile.
  Check(SaveAccount(context, found.domain, found.position, found.record, "", loaded), what);
  const SettingValue stored =
      Checked(UserSettingValue(context.config.record, found.record.data(), id));
  nlohmann::json json = AccountHeader(found);
  json["id"] = id;
  json["name"] = names.NameOf(id);
  json["kind"] = SettingKindName(shape.kind);
  json["value"] = AccountValueJson(stored);
  json["saved"] = true;
  session.out.Emit(json, names.LabelOf(id) + " = " + HumanOf(stored));
}

}  // namespace

void RegisterAccountCommands(CLI::App& app, Session& session) {
  CLI::App* account = app.add_subcommand("account", "Accounts of a domain");
  account->require_subcommand(1);

  static std::string domain;
  static std::string query;
  CLI::App* list = account->add_subcommand(
      "list", "List the accounts of a domain by name, with their positions");
  list->add_option("DOMAIN", domain, "Domain name")->required();
  list->add_option("--query", query,
                   "Only the accounts this condition holds for, e.g. \"U_Type = 0\" or "
                   "\"U_Alias like 'a%'\"; checked before any account is read");
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

  static bool show_password = false;
  CLI::App* show = account->add_subcommand(
      "show", "Show every setting of an account: name, number, kind, value");
  show->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  show->add_flag("--show-password", show_password,
                 "Show the password (and the packed record, which holds it) instead of ********");
  show->callback([&session] {
    session.Open();
    AccountShow(session, address, show_password);
  });

  static std::string setting;
  static std::string value;
  CLI::App* set = account->add_subcommand(
      "set", "Change one setting of an account and save it, with the library's checks");
  set->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  set->add_option("SETTING", setting, "Setting name (U_Alias or Alias, any case) or number")
      ->required();
  set->add_option("VALUE", value,
                  "Number, flag (1/0), date (yyyy-mm-dd [hh:mm:ss]) or text, by the id's kind")
      ->required();
  set->callback([&session] {
    session.Open();
    AccountSet(session, address, setting, value);
  });

  RegisterAccountChangeCommands(*account, session);
  RegisterAccountImportCommand(*account, session);
}

}  // namespace tarvelin::cli
