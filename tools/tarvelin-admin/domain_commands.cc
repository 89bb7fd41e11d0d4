// `domain ...`: the domain list, each domain's settings by name or number,
// its address binding, renaming and deleting.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/accounts/account_operations.h"
#include "core/domains/domain_operations.h"
#include "core/ops/domain_rename_delete.h"
#include "foundation/text.h"
#include "host_names.h"
#include "schema/domain_record_layout.h"
#include "schema/domain_settings.h"
#include "setting_forms.h"
#include "setting_names.h"

namespace tarvelin::cli {

namespace {

// A domain's binding file holds one line of at most this many characters.
constexpr size_t kBindingMax = 255;

// The position of a domain as the caller names it.
int PositionOf(const Context& context, const std::string& name) {
  return FindDomainPosition(context, Checked(ResolveDomainName(context, name)));
}

// Domains have called their date-times dates.
std::string KindLabel(const SettingShape& shape) {
  return shape.kind == SettingKind::kDateTime ? "date" : SettingKindName(shape.kind);
}

// In name order, each with its position in the list.
void DomainList(Session& session) {
  const std::vector<std::string> names = DomainNames(session.context());
  std::vector<std::pair<std::string, size_t>> sorted;
  for (size_t position = 0; position < names.size(); ++position) {
    sorted.emplace_back(names[position], position);
  }
  std::sort(sorted.begin(), sorted.end());
  nlohmann::json json = nlohmann::json::array();
  std::string human;
  for (const auto& [name, position] : sorted) {
    json.push_back({{"index", position}, {"name", name}});
    human += std::to_string(position) + "\t" + name + "\n";
  }
  session.out.Emit(json, names.empty() ? "(no domains)" : human);
}

void DomainShow(Session& session, const std::string& name) {
  Context& context = session.context();
  const int position = PositionOf(context, name);
  const DomainRecord record = Checked(LoadDomain(context, position));
  const SettingNames names(context, SettingFamily::kDomain);
  nlohmann::json settings = nlohmann::json::array();
  std::string human;
  for (const DomainField& field : DomainFields()) {
    if (field.kind == FieldKind::kPacked) continue;
    const SettingShape shape = Checked(DescribeDomainSetting(field.id));
    const SettingValue value = Checked(DomainSettingValue(record.data(), field.id));
    const std::string name = names.NameOf(field.id);
    settings.push_back(
        {{"id", field.id}, {"name", name}, {"kind", KindLabel(shape)}, {"value", JsonOf(value)}});
    human += name + "\t" + std::to_string(field.id) + "\t" + KindLabel(shape) + "\t" +
             HumanOf(value) + "\n";
  }
  session.out.Emit({{"index", position}, {"settings", settings}}, human);
}

void DomainAdd(Session& session, const std::string& name) {
  CheckNewDomainName(name, "cannot add domain " + name);
  Context& context = session.context();
  DomainRecord record{};
  // New domains start from default.ini when the configuration asks for it.
  SetDomainDefaults(context, record.data(), 0);
  Check(AddDomain(context, name, record), "cannot add domain " + name);
  const int position = PositionOf(context, name);
  session.out.Emit({{"index", position}, {"name", ToLower(name)}, {"added", true}},
                   "added " + ToLower(name) + " at " + std::to_string(position));
}

void DomainSet(Session& session, const std::string& name, const std::string& setting,
               const std::string& text) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kDomain);
  const int32_t id = names.IdOf(setting);
  const SettingShape shape = Checked(DescribeDomainSetting(id));
  const int position = PositionOf(context, name);
  DomainRecord record{};
  const SettingValue value = ValueOfText(shape, text, FormOfSetting(SettingFamily::kDomain, id));
  Check(ChangeDomain(context, position, [&](DomainRecord& loaded) {
    TARVELIN_RETURN_IF_ERROR(SetDomainSettingValue(loaded.data(), id, value));
    record = loaded;
    return Status();
  }));
  const SettingValue stored = Checked(DomainSettingValue(record.data(), id));
  session.out.Emit(
      {{"id", id}, {"name", names.NameOf(id)}, {"value", JsonOf(stored)}, {"saved", true}},
      names.LabelOf(id) + " = " + HumanOf(stored));
}

void DomainIp(Session& session, const std::string& name, const std::string* addresses) {
  Context& context = session.context();
  const int position = PositionOf(context, name);
  if (addresses != nullptr) {
    if (addresses->size() > kBindingMax) {
      throw CommandError("the addresses are " + std::to_string(addresses->size()) +
                             " characters, longer than " + std::to_string(kBindingMax) +
                             " characters",
                         ExitCode::kRefused);
    }
    const std::string problem = AddressListProblem(*addresses);
    if (!problem.empty()) throw CommandError(problem, ExitCode::kRefused);
    Check(SetDomainBinding(context, position, *addresses));
  }
  const std::string binding = Checked(DomainBinding(context, position));
  session.out.Emit({{"index", position}, {"addresses", binding}},
                   binding.empty() ? "(not bound)" : binding);
}

void DomainRename(Session& session, const std::string& old_name, const std::string& new_name) {
  CheckNewDomainName(new_name, "cannot rename domain " + old_name + " to " + new_name);
  Context& context = session.context();
  Check(RenameDomain(context, old_name, new_name),
        "cannot rename domain " + old_name + " to " + new_name);
  const int position = PositionOf(context, new_name);
  session.out.Emit({{"index", position}, {"name", ToLower(new_name)}, {"renamed", true}},
                   "renamed " + ToLower(old_name) + " to " + ToLower(new_name));
}

void DomainDelete(Session& session, const std::string& name) {
  Context& context = session.context();
  const int position = PositionOf(context, name);
  Check(DeleteDomain(context, position), "cannot delete domain " + name);
  session.out.Emit({{"index", position}, {"name", ToLower(name)}, {"deleted", true}},
                   "deleted " + ToLower(name));
}

}  // namespace

void RegisterDomainCommands(CLI::App& app, Session& session) {
  CLI::App* domain = app.add_subcommand("domain", "Domains");
  domain->require_subcommand(1);
  static std::string name;
  static std::string setting;
  static std::string value;

  CLI::App* list = domain->add_subcommand("list", "List the domains in name order");
  list->callback([&session] {
    session.Open();
    DomainList(session);
  });

  CLI::App* show = domain->add_subcommand("show", "Show the settings of a domain");
  show->add_option("NAME", name, "Domain name")->required();
  show->callback([&session] {
    session.Open();
    DomainShow(session, name);
  });

  CLI::App* add = domain->add_subcommand("add", "Add a domain (with default.ini when enabled)");
  add->add_option("NAME", name, "Domain name")->required();
  add->callback([&session] {
    session.OpenToChangeSettings();
    DomainAdd(session, name);
  });

  CLI::App* set = domain->add_subcommand("set", "Change one setting of a domain and save it");
  set->add_option("NAME", name, "Domain name")->required();
  set->add_option("SETTING", setting, "Setting name (D_DomainDiskQuota) or number")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or date (yyyy-mm-dd [hh:mm:ss])")
      ->required();
  set->callback([&session] {
    session.Open();
    DomainSet(session, name, setting, value);
  });

  CLI::App* ip = domain->add_subcommand("ip", "Show or set the addresses a domain is bound to");
  ip->add_option("NAME", name, "Domain name")->required();
  CLI::Option* addresses =
      ip->add_option("ADDRESSES", value, "\";\"-separated IP addresses; \"\" unbinds the domain");
  ip->callback([&session, addresses] {
    if (addresses->count() > 0) {
      session.OpenToChangeSettings();
    } else {
      session.Open();
    }
    DomainIp(session, name, addresses->count() > 0 ? &value : nullptr);
  });

  static std::string new_name;
  CLI::App* rename = domain->add_subcommand(
      "rename", "Rename a domain and its configuration folder (the mail folder stays)");
  rename->add_option("OLD", name, "Domain name")->required();
  rename->add_option("NEW", new_name, "New domain name")->required();
  rename->callback([&session] {
    session.OpenToChangeSettings();
    DomainRename(session, name, new_name);
  });

  CLI::App* remove = domain->add_subcommand(
      "delete", "Delete a domain with its accounts, configuration and mail folders");
  remove->add_option("NAME", name, "Domain name")->required();
  remove->callback([&session] {
    session.OpenToChangeSettings();
    DomainDelete(session, name);
  });
}

}  // namespace tarvelin::cli
