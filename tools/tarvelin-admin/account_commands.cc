#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "account_setting_value.h"
#include "core/accounts/account_lookup.h"
#include "schema/user_record.h"
#include "core/accounts/user_settings.h"
#include "core/accounts/account_walk.h"
#include "schema/property_table.h"
#include "cli_context.h"
#include "cli_values.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "foundation/text.h"
#include "api/c/the_context.h"
#include "core/context.h"

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
void AccountList(const Output& out, const std::string& domain, const std::string& query) {
  const Context& context = TheContext();
  const int position = context.domains().FindPosition(domain, /*strict=*/true);
  if (position < 0) throw CommandError("unknown domain: " + domain);
  if (!query.empty() && context.properties().entries().empty()) {
    throw CommandError("no property names for the query: apiconst.pas is missing from " +
                       context.api.install_path);
  }
  const std::string name = context.domains().NameAt(position);
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
  out.Emit(accounts, human);
}

void AccountFind(const Output& out, const std::string& address) {
  FoundAccount found;
  if (!FindAccount(TheContext(), address, /*follow_domain_alias=*/true, &found)) {
    throw CommandError("no account for " + address);
  }
  nlohmann::json json = AccountJson(found.position, found.record);
  json["domain"] = found.domain;
  out.Emit(json, found.domain + "\t" + AccountLine(found.position, found.record));
}

// account show / account set: the settings of one account by id.

// The account an address reaches, as users.cfg holds it: the lookup may
// hand out folder delivery in its copy, so the record is read again.
FoundAccount StoredAccount(const std::string& address) {
  Context& context = TheContext();
  FoundAccount found;
  if (!FindAccount(context, address, /*follow_domain_alias=*/true, &found) ||
      LoadAccountAt(context, found.domain, found.position, &found.record) <= found.position) {
    throw CommandError("no account for " + address);
  }
  return found;
}

SettingKind KindOf(int32_t id) { return DescribeUserSetting(id)->kind; }

nlohmann::json ShownValue(const UserRecord& record, int32_t id, std::string* human) {
  const SettingKind kind = KindOf(id);
  std::vector<uint8_t> buffer(8192, 0);
  const int32_t size = kind == SettingKind::kText       ? static_cast<int32_t>(buffer.size())
                       : kind == SettingKind::kDateTime ? 8
                                                        : 4;
  const Result<int32_t> n =
      GetUserSetting(TheContext().config.record, record.data(), id, buffer.data(), size);
  if (!n.ok()) throw CommandError("setting " + std::to_string(id) + " is not available");
  switch (kind) {
    case SettingKind::kNumber:
    case SettingKind::kFlag: {
      const uint32_t number = GetLE(buffer.data(), 4);
      *human = std::to_string(number);
      return number;
    }
    case SettingKind::kDateTime: {
      const double value = GetDouble(buffer.data());
      *human = DateTimeText(value);
      return value;
    }
    case SettingKind::kText:
    case SettingKind::kBlock:
      break;
  }
  const std::string text =
      Utf8OfLatin1(std::string(reinterpret_cast<const char*>(buffer.data()), *n));
  // One line per setting: control characters are shown as \xNN.
  human->clear();
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 32) {
      *human += c;
    } else {
      static const char kDigits[] = "0123456789abcdef";
      *human += std::string("\\x") + kDigits[c >> 4] + kDigits[c & 15];
    }
  }
  return text;
}

nlohmann::json AccountHeader(const FoundAccount& found) {
  return {{"domain", found.domain},
          {"position", found.position},
          {"type", AccountTypeOf(found.record)},
          {"kind", TypeName(AccountTypeOf(found.record))}};
}

void AccountShow(const Output& out, const std::string& address) {
  const FoundAccount found = StoredAccount(address);
  nlohmann::json json = AccountHeader(found);
  json["settings"] = nlohmann::json::array();
  std::string human = found.domain + "\t" + std::to_string(found.position) + "\t" +
                      TypeName(AccountTypeOf(found.record)) + "\n";
  for (int32_t id : UserSettingIds(AccountTypeOf(found.record))) {
    std::string text;
    const nlohmann::json value = ShownValue(found.record, id, &text);
    const char* kind = SettingKindName(KindOf(id));
    json["settings"].push_back({{"id", id}, {"kind", kind}, {"value", value}});
    human += std::to_string(id) + "\t" + kind + "\t" + text + "\n";
  }
  out.Emit(json, human);
}

void AccountSet(const Output& out, const std::string& address, int32_t id,
                const std::string& text) {
  const std::vector<uint8_t> bytes = AccountSettingBytes(id, text);
  const SettingKind kind = KindOf(id);
  FoundAccount found = StoredAccount(address);
  Context& context = TheContext();
  if (!SetUserSetting(found.record.data(), id, bytes.data(), static_cast<int32_t>(bytes.size()))
           .ok() ||
      !WriteAccountAt(context, found.domain, found.record, &found.position)) {
    throw CommandError("setting " + std::to_string(id) + " of " + address + " was not saved");
  }
  std::string human;
  nlohmann::json json = AccountHeader(found);
  json["id"] = id;
  json["kind"] = SettingKindName(kind);
  json["value"] = ShownValue(found.record, id, &human);
  json["saved"] = true;
  out.Emit(json, std::to_string(id) + " = " + human);
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
    AccountList(session.out, domain, query);
  });

  static std::string address;
  CLI::App* find =
      account->add_subcommand("find", "Show the account an address reaches, and where it is");
  find->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  find->callback([&session] {
    session.Open();
    AccountFind(session.out, address);
  });

  CLI::App* show = account->add_subcommand("show", "Show every setting of an account by id");
  show->add_option("ADDRESS", address, "local@domain, or a bare local part")->required();
  show->callback([&session] {
    session.Open();
    AccountShow(session.out, address);
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
    AccountSet(session.out, address, id, value);
  });

  RegisterAccountChangeCommands(*account, session);
  RegisterAccountImportCommand(*account, session);
}

}  // namespace tarvelin::cli
