// `config ...`: the global settings by name or number.
#include <algorithm>
#include <sstream>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "schema/server_config_layout.h"
#include "setting_forms.h"
#include "setting_names.h"

namespace tarvelin::cli {

namespace {

nlohmann::json SettingJson(const SettingNames& names, int32_t id, const SettingShape& shape,
                           const SettingValue& value) {
  return {{"id", id},
          {"name", names.NameOf(id)},
          {"kind", SettingKindName(shape.kind)},
          {"value", JsonOf(value)}};
}

void ConfigGet(Session& session, const std::string& setting) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kConfig);
  const int32_t id = names.IdOf(setting);
  const SettingShape shape = Checked(DescribeConfigSetting(id));
  const SettingValue value = Checked(ConfigSettingValue(context, id));
  session.out.Emit(SettingJson(names, id, shape, value), HumanOf(value));
}

void ConfigSet(Session& session, const std::string& setting, const std::string& text) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kConfig);
  const int32_t id = names.IdOf(setting);
  const SettingShape shape = Checked(DescribeConfigSetting(id));
  Check(SetConfigSettingValue(context, id,
                              ValueOfText(shape, text, FormOfSetting(SettingFamily::kConfig, id))));
  SaveConfig(context);
  const SettingValue value = Checked(ConfigSettingValue(context, id));
  nlohmann::json json = SettingJson(names, id, shape, value);
  json["saved"] = true;
  session.out.Emit(json, names.LabelOf(id) + " = " + HumanOf(value));
}

// The settings of the record's plain fields: name, number, kind, value.
void ConfigDump(Session& session) {
  Context& context = session.context();
  const SettingNames names(context, SettingFamily::kConfig);
  std::vector<int32_t> ids;
  for (const ConfigField& field : ServerConfigFields()) {
    if (field.id != kNoSettingId) ids.push_back(field.id);
  }
  std::sort(ids.begin(), ids.end());
  nlohmann::json all = nlohmann::json::array();
  std::ostringstream human;
  for (int32_t id : ids) {
    const SettingShape shape = Checked(DescribeConfigSetting(id));
    const SettingValue value = Checked(ConfigSettingValue(context, id));
    all.push_back(SettingJson(names, id, shape, value));
    human << names.NameOf(id) << "\t" << id << "\t" << SettingKindName(shape.kind) << "\t"
          << HumanOf(value) << "\n";
  }
  session.out.Emit(all, human.str());
}

}  // namespace

void RegisterConfigCommands(CLI::App& app, Session& session) {
  CLI::App* config = app.add_subcommand("config", "Global settings by name or number");
  config->require_subcommand(1);
  static std::string setting;
  static std::string value;

  CLI::App* get = config->add_subcommand("get", "Show one setting");
  get->add_option("SETTING", setting, "Setting name (C_SMTPPort) or number")->required();
  get->callback([&session] {
    session.Open();
    ConfigGet(session, setting);
  });

  CLI::App* set = config->add_subcommand("set", "Change one setting and save");
  set->add_option("SETTING", setting, "Setting name (C_SMTPPort) or number")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or block as hex")->required();
  set->callback([&session] {
    session.OpenToChangeSettings();
    ConfigSet(session, setting, value);
  });

  CLI::App* dump = config->add_subcommand("dump", "Show every setting");
  dump->callback([&session] {
    session.Open();
    ConfigDump(session);
  });
}

}  // namespace tarvelin::cli
