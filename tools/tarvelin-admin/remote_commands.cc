// `remote ...`: the remote accounts of remote.cfg by position, their
// settings by name or number.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/remote/remote_operations.h"
#include "foundation/text.h"
#include "schema/remote_record_layout.h"
#include "schema/remote_settings.h"
#include "setting_forms.h"
#include "setting_names.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kLoginId = 227, kDomainId = 235, kImapId = 245;

// The record's one block is the account's collection schedule.
std::string KindLabel(const SettingShape& shape) {
  return shape.kind == SettingKind::kBlock ? "schedule" : SettingKindName(shape.kind);
}

// The record at an existing position.
RemoteAccountRecord Load(const Context& context, int32_t index) {
  if (index < 0 || index >= RemoteAccountCount(context)) {
    throw CommandError("no remote account " + std::to_string(index), ExitCode::kNotFound);
  }
  return Checked(LoadRemoteAccount(context, index));
}

SettingValue ValueOf(const RemoteAccountRecord& record, int32_t id) {
  return Checked(RemoteSettingValue(record.data(), id));
}

// Sets one setting from its command-line text, by the id's kind.
void SetFromText(RemoteAccountRecord& record, int32_t id, const std::string& text) {
  const SettingShape shape = Checked(DescribeRemoteSetting(id));
  Check(SetRemoteSettingValue(record.data(), id,
                              ValueOfText(shape, text, FormOfSetting(SettingFamily::kRemote, id))));
}

nlohmann::json Summary(int32_t index, const RemoteAccountRecord& record) {
  return {{"index", index},
          {"login", JsonOf(ValueOf(record, kLoginId))},
          {"domain", JsonOf(ValueOf(record, kDomainId))},
          {"protocol", ValueOf(record, kImapId).flag() ? "IMAP" : "POP3"}};
}

// In name order (login, then domain, in any case), each with its position.
void RemoteList(Session& session) {
  const Context& context = session.context();
  const int32_t count = RemoteAccountCount(context);
  std::vector<std::tuple<std::string, std::string, int32_t>> order;
  std::vector<nlohmann::json> summaries;
  for (int32_t index = 0; index < count; ++index) {
    summaries.push_back(Summary(index, Load(context, index)));
    order.emplace_back(ToLower(HumanText(summaries.back()["login"])),
                       ToLower(HumanText(summaries.back()["domain"])), index);
  }
  std::sort(order.begin(), order.end());
  nlohmann::json accounts = nlohmann::json::array();
  std::string human;
  for (const auto& [login, domain, index] : order) {
    const nlohmann::json& summary = summaries[index];
    accounts.push_back(summary);
    human += std::to_string(index) + "\t" + HumanText(summary["protocol"]) + "\t" +
             HumanText(summary["login"]) + "\t" + HumanText(summary["domain"]) + "\n";
  }
  session.out.Emit(accounts, count == 0 ? "(no remote accounts)" : human);
}

void RemoteShow(Session& session, int32_t index) {
  const RemoteAccountRecord record = Load(session.context(), index);
  const SettingNames names(session.context(), SettingFamily::kRemote);
  nlohmann::json settings = nlohmann::json::array();
  std::string human;
  for (const RemoteField& field : RemoteFields()) {
    if (field.kind == FieldKind::kPacked) continue;
    const std::string kind = KindLabel(Checked(DescribeRemoteSetting(field.id)));
    const SettingValue value = ValueOf(record, field.id);
    const std::string name = names.NameOf(field.id);
    settings.push_back(
        {{"id", field.id}, {"name", name}, {"kind", kind}, {"value", JsonOf(value)}});
    human += name + "\t" + std::to_string(field.id) + "\t" + kind + "\t" + HumanOf(value) + "\n";
  }
  session.out.Emit({{"index", index}, {"settings", settings}}, human);
}

void RemoteAdd(Session& session, const std::vector<std::string>& assignments) {
  Context& context = session.context();
  RemoteAccountRecord record{};
  const SettingNames names(context, SettingFamily::kRemote);
  for (const std::string& text : assignments) {
    const Assignment assignment = names.AssignmentOf(text);
    SetFromText(record, assignment.id, assignment.text);
  }
  Check(SaveRemoteAccount(context, -1, record), "cannot add the remote account");
  const int32_t index = RemoteAccountCount(context) - 1;
  nlohmann::json json = Summary(index, record);
  json["added"] = true;
  session.out.Emit(json, "added remote account " + std::to_string(index));
}

void RemoteSet(Session& session, int32_t index, const std::string& setting,
               const std::string& text) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kRemote);
  const int32_t id = names.IdOf(setting);
  Checked(DescribeRemoteSetting(id));
  // Load, change and save in one step: a change another program makes to
  // the same account meanwhile is not written over.
  const Result<std::unique_ptr<StoreLock>> held = HoldRemoteAccounts(context);
  Check(held.status(), "cannot change remote account " + std::to_string(index));
  RemoteAccountRecord record = Load(context, index);
  const std::string loaded = RemoteIdentity(record);
  SetFromText(record, id, text);
  // Refused, nothing written, if another program moved the account meanwhile.
  Check(SaveRemoteAccount(context, index, record, loaded),
        "cannot write remote account " + std::to_string(index));
  const SettingValue stored = ValueOf(record, id);
  session.out.Emit({{"index", index},
                    {"id", id},
                    {"name", names.NameOf(id)},
                    {"value", JsonOf(stored)},
                    {"saved", true}},
                   names.LabelOf(id) + " = " + HumanOf(stored));
}

void RemoteDelete(Session& session, int32_t index) {
  Context& context = session.context();
  const std::string loaded = RemoteIdentity(Load(context, index));
  Check(DeleteRemoteAccount(context, index, loaded),
        "cannot delete remote account " + std::to_string(index));
  session.out.Emit({{"index", index}, {"deleted", true}},
                   "deleted remote account " + std::to_string(index));
}

}  // namespace

void RegisterRemoteCommands(CLI::App& app, Session& session) {
  CLI::App* remote = app.add_subcommand("remote", "Remote accounts collected by the POP3 service");
  remote->require_subcommand(1);
  static int32_t index = 0;
  static std::string setting;
  static std::string value;
  static std::vector<std::string> assignments;

  CLI::App* list = remote->add_subcommand("list", "List the remote accounts in name order");
  list->callback([&session] {
    session.Open();
    RemoteList(session);
  });

  CLI::App* show = remote->add_subcommand("show", "Show every setting of a remote account");
  show->add_option("N", index, "Position in remote.cfg")->required();
  show->callback([&session] {
    session.Open();
    RemoteShow(session, index);
  });

  CLI::App* add = remote->add_subcommand("add", "Add a remote account");
  add->add_option("--set", assignments,
                  "NAME=VALUE or ID=VALUE, by the setting's kind (repeatable)");
  add->callback([&session] {
    session.Open();
    RemoteAdd(session, assignments);
  });

  CLI::App* set =
      remote->add_subcommand("set", "Change one setting of a remote account and save it");
  set->add_option("N", index, "Position in remote.cfg")->required();
  set->add_option("SETTING", setting, "Setting name (RA_Login) or number (224 to 248)")->required();
  set->add_option("VALUE", value,
                  "Number, flag (1/0), text, or the schedule as 568 hex digits, by the id's kind")
      ->required();
  set->callback([&session] {
    session.Open();
    RemoteSet(session, index, setting, value);
  });

  CLI::App* remove =
      remote->add_subcommand("delete", "Delete a remote account and its state files");
  remove->add_option("N", index, "Position in remote.cfg")->required();
  remove->callback([&session] {
    session.Open();
    RemoteDelete(session, index);
  });
}

}  // namespace tarvelin::cli
