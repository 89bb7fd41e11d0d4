#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_variables.h"
#include "schema/server_config_layout.h"
#include "foundation/text.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

constexpr int32_t kValueBufferSize = 65536;

SettingShape KnownSetting(int32_t id) {
  const Result<SettingShape> shape = DescribeConfigSetting(id);
  if (!shape.ok()) throw CommandError("unknown setting id " + std::to_string(id));
  return *shape;
}

const char* KindName(const SettingShape& shape) { return SettingKindName(shape.kind); }

// The value of one setting as JSON.
nlohmann::json ReadSetting(int32_t id, const SettingShape& shape) {
  std::vector<uint8_t> buffer(kValueBufferSize);
  const int32_t size =
      shape.kind == SettingKind::kText || shape.kind == SettingKind::kBlock ? kValueBufferSize : 4;
  const int32_t n = ::GetConfigSetting(id, buffer.data(), size);
  if (n < 0)
    throw CommandError("setting " + std::to_string(id) + " is not available (" + std::to_string(n) +
                       ")");
  switch (shape.kind) {
    case SettingKind::kFlag:
      return buffer[0];
    case SettingKind::kNumber:
      return static_cast<uint32_t>(buffer[0] | buffer[1] << 8 | buffer[2] << 16 |
                                   static_cast<uint32_t>(buffer[3]) << 24);
    case SettingKind::kText:
      return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    case SettingKind::kBlock:
      return Hex(buffer.data(), static_cast<size_t>(n));
    case SettingKind::kDateTime:
      break;
  }
  return nullptr;
}

}  // namespace

namespace {

void ConfigGet(const Output& out, int32_t id) {
  const SettingShape shape = KnownSetting(id);
  const nlohmann::json value = ReadSetting(id, shape);
  out.Emit({{"id", id}, {"kind", KindName(shape)}, {"value", value}}, HumanText(value));
}

void ConfigSet(const Output& out, int32_t id, const std::string& text) {
  const SettingShape shape = KnownSetting(id);
  if (!shape.writable) throw CommandError("setting " + std::to_string(id) + " is read-only");
  int32_t result = -1;
  switch (shape.kind) {
    case SettingKind::kFlag: {
      const uint8_t flag = ParseFlag(text);
      result = ::SetConfigSetting(id, &flag, 1);
      break;
    }
    case SettingKind::kNumber: {
      const uint32_t number = ParseNumber(text);
      const uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                                static_cast<uint8_t>(number >> 16),
                                static_cast<uint8_t>(number >> 24)};
      result = ::SetConfigSetting(id, bytes, 4);
      break;
    }
    case SettingKind::kText:
      result = ::SetConfigSetting(id, text.data(), static_cast<int32_t>(text.size()));
      break;
    case SettingKind::kBlock: {
      const std::vector<uint8_t> bytes = ParseHex(text);
      result = ::SetConfigSetting(id, bytes.data(), static_cast<int32_t>(bytes.size()));
      break;
    }
    case SettingKind::kDateTime:
      break;
  }
  if (result != 0) throw CommandError("setting " + std::to_string(id) + " was refused");
  ::SaveConfig();
  const nlohmann::json value = ReadSetting(id, shape);
  out.Emit({{"id", id}, {"kind", KindName(shape)}, {"value", value}, {"saved", true}},
           std::to_string(id) + " = " + HumanText(value));
}

void ConfigDump(const Output& out) {
  nlohmann::json all = nlohmann::json::array();
  std::ostringstream human;
  std::vector<int32_t> ids;
  for (const ConfigField& field : ServerConfigFields()) {
    if (field.id != kNoSettingId) ids.push_back(field.id);
  }
  std::sort(ids.begin(), ids.end());
  for (int32_t id : ids) {
    const SettingShape shape = KnownSetting(id);
    const nlohmann::json value = ReadSetting(id, shape);
    all.push_back({{"id", id}, {"kind", KindName(shape)}, {"value", value}});
    human << id << "\t" << KindName(shape) << "\t" << HumanText(value) << "\n";
  }
  out.Emit(all, human.str());
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
    ConfigGet(session.out, id);
  });

  CLI::App* set = config->add_subcommand("set", "Change one setting and save");
  set->add_option("ID", id, "Setting id")->required();
  set->add_option("VALUE", value, "Number, flag (1/0), text, or block as hex")->required();
  set->callback([&session] {
    session.Open();
    ConfigSet(session.out, id, value);
  });

  CLI::App* dump = config->add_subcommand("dump", "Show every setting");
  dump->callback([&session] {
    session.Open();
    ConfigDump(session.out);
  });
}

}  // namespace tarvelin::cli
