// `config ...`: the global settings by id.
#include <algorithm>
#include <sstream>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "schema/server_config_layout.h"

namespace tarvelin::cli {

namespace {

nlohmann::json SettingJson(int32_t id, const SettingShape& shape, const SettingValue& value) {
  return {{"id", id}, {"kind", SettingKindName(shape.kind)}, {"value", JsonOf(value)}};
}

void ConfigGet(Session& session, int32_t id) {
  Context& context = session.context();
  const SettingShape shape = Checked(DescribeConfigSetting(id));
  const SettingValue value = Checked(ConfigSettingValue(context, id));
  session.out.Emit(SettingJson(id, shape, value), HumanOf(value));
}

void ConfigSet(Session& session, int32_t id, const std::string& text) {
  Context& context = session.context();
  const SettingShape shape = Checked(DescribeConfigSetting(id));
  Check(SetConfigSettingValue(context, id, ValueOfText(shape, text)));
  SaveConfig(context);
  const SettingValue value = Checked(ConfigSettingValue(context, id));
  nlohmann::json json = SettingJson(id, shape, value);
  json["saved"] = true;
  session.out.Emit(json, std::to_string(id) + " = " + HumanOf(value));
}

// The settings of the record's plain fields, by id.
void ConfigDump(Session& session) {
  Context& context = session.context();
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
    all.push_back(SettingJson(id, shape, value));
    human << id << "\t" << SettingKindName(shape.kind) << "\t" << HumanOf(value) << "\n";
  }
  session.out.Emit(all, human.str());
}

}  // namespace

void RegisterConfigCommands(CLI::App& app, Session& session) {
  CLI::App* config = app.add_subcommand("config", "Global settings by number");
  config->require_subcommand(1);
  static int32_t id = 0;
  static std::string value;

  CLI::App* get = config->add_subcommand("get", "Show one setting");
  get->add_option("ID", id, "Setting id")->required();
  get->callback([&session] {
    session.Open();
    ConfigGet(session, id);
  });

  CLI::App* set = config->add_subcommand("set", "Change one setting and save");
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or block as hex")->required();
  set->callback([&session] {
    session.Open();
    ConfigSet(session, id, value);
  });

  CLI::App* dump = config->add_subcommand("dump", "Show every setting");
  dump->callback([&session] {
    session.Open();
    ConfigDump(session);
  });
}

}  // namespace tarvelin::cli
