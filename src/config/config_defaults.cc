#include "config/config_defaults.h"

#include "schema/config_offsets.h"
#include "config/config_state.h"
#include "foundation/md5.h"
#include "foundation/text.h"
#include "config/api_state.h"
#include "platform/os_path.h"
#include "platform/resolv_conf.h"

namespace tarvelin {

namespace {

constexpr uint32_t kLogBufferLimit = 5242880;
constexpr int kExtraDirectoryCapacity = 240;

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += ';';
    text += part;
  }
  return text;
}

void EnsureDirectory(ServerConfig& record, int offset, const std::string& fallback) {
  std::string value = record.Text(offset);
  if (value.empty()) value = fallback;
  record.SetText(offset, WithTrailingSeparator(value));
}

void FillGroupwareSuperUser(Env& env, ServerConfig& record) {
  if (!record.Text(offsets::kGroupwareUser).empty()) return;
  record.SetText(offsets::kGroupwareUser, "gwsuperuser");
  const std::string seed =
      FormatDateTime("mmsshhddnn", env.NowLocal()) + std::to_string(env.RandomUint32());
  record.SetText(offsets::kGroupwarePassword, Md5Hex(seed));
}

// Zero numbers and empty texts take the defaults the layout table names.
void FillTableDefaults(Env& env, ConfigState& config) {
  ServerConfig& record = config.record;
  for (const ConfigField& field : ServerConfigFields()) {
    switch (field.load_default) {
      case LoadDefault::kNumberWhenZero:
        if (record.Number(field.offset, field.size) == 0) {
          record.SetNumber(field.offset, field.size, field.default_number);
        }
        break;
      case LoadDefault::kTextWhenEmpty:
        if (record.Text(field.offset).empty()) record.SetText(field.offset, field.default_text);
        break;
      case LoadDefault::kSystemDnsWhenEmpty:
        if (record.Text(field.offset).empty()) {
          std::string resolv_conf;
          if (!env.ReadFile(config.resolv_conf_path, &resolv_conf).ok()) resolv_conf.clear();
          record.SetText(field.offset, Joined(ParseDnsServers(resolv_conf)));
        }
        break;
      case LoadDefault::kNone:
      case LoadDefault::kInstallDirectory:
      case LoadDefault::kByStep:
        break;
    }
  }
}

// Lists typed with "," or spaces become ";"-separated without spaces.
void NormaliseList(ServerConfig& record, int offset) {
  std::string text = Trim(record.Text(offset));
  if (text.find_first_of(", ") != std::string::npos) {
    text = ReplaceAll(ReplaceAll(text, ",", ";"), " ", "");
  }
  record.SetText(offset, text);
}

std::string DirectoryOr(const std::string& line, const std::string& fallback) {
  return line.empty() ? fallback : WithTrailingSeparator(line);
}

}  // namespace

void ApplyConfigDefaults(Env& env, const ApiState& api, ConfigState& config) {
  ServerConfig& record = config.record;
  ProcessValues& process = config.process;
  const PathDat& path_dat = config.path_dat;

  if (record.Byte(offsets::kAntivirusEngine4) == 0) record.SetByte(offsets::kAntivirusEngine4, 1);

  record.SetByte(offsets::kPathSeparatorChar, static_cast<uint8_t>(kPathSeparator));
  config.derived.saved_platform_kind = record.Byte(offsets::kPlatformKind);
  record.SetByte(offsets::kPlatformKind, kPlatformKind);

  EnsureDirectory(record, offsets::kTempDirectory, api.install_path + "temp" + kPathSeparator);
  EnsureDirectory(record, offsets::kMailRoot, api.install_path + "mail" + kPathSeparator);
  EnsureDirectory(record, offsets::kLogDirectory, api.install_path + "logs" + kPathSeparator);
  record.SetText(
      offsets::kExtraDirectory,
      CutTo(WithTrailingSeparator(record.Text(offsets::kExtraDirectory)), kExtraDirectoryCapacity));

  FillGroupwareSuperUser(env, record);

  if (record.Number(offsets::kLogBufferSize, 4) > kLogBufferLimit) {
    record.SetNumber(offsets::kLogBufferSize, 4, 0);
  }

  FillTableDefaults(env, config);

  if (record.Number(offsets::kDnsCacheSize, 4) == 0) {
    record.SetNumber(offsets::kDnsCacheSize, 4, process.dns_cache_size);
  }
  process.dns_cache_size = record.Number(offsets::kDnsCacheSize, 4);
  process.timeout_ms = record.Number(offsets::kTimeoutSeconds, 2) * 1000;

  if (record.Byte(offsets::kFlag1464) != 0 && record.Byte(offsets::kFlag1444) != 0) {
    record.SetByte(offsets::kFlag1444, 0);
  }

  for (int offset :
       {offsets::kHostName, offsets::kAddressList, offsets::kDnsServers, offsets::kServerAddresses,
        offsets::kAccountDatabase, offsets::kAddressList3641, offsets::kLocalNetworks}) {
    NormaliseList(record, offset);
  }

  if (!path_dat.line(kPathDatHostName).empty()) {
    record.SetText(offsets::kHostName, path_dat.line(kPathDatHostName));
  }
  config.derived.file_name_tag = Trim(path_dat.line(kPathDatFileNameTag));
  if (const std::string addresses = PathDatServerAddresses(path_dat); !addresses.empty()) {
    record.SetText(offsets::kServerAddresses, addresses);
  }

  if (record.Byte(offsets::kStorageModeGuard) != 1) record.SetByte(offsets::kStorageMode, 1);

  process.count_21392 = record.Number(offsets::kProcessCount21392, 4);
  process.count_22213 = record.Number(offsets::kProcessCount22213, 4);
  process.count_23386 = record.Number(offsets::kProcessCount23386, 4);
  if (record.Byte(offsets::kProcessCharacter) != 0) {
    process.character_24186 = static_cast<char>(record.Byte(offsets::kProcessCharacter));
  }

  DerivedConfig& derived = config.derived;
  derived.forward_path = DirectoryOr(path_dat.line(kPathDatForwardDirectory),
                                     record.Text(offsets::kMailRoot) + "forward" + kPathSeparator);
  derived.retry_path = DirectoryOr(path_dat.line(kPathDatRetryDirectory),
                                   derived.forward_path + "retry" + kPathSeparator);
  derived.spam_directory =
      DirectoryOr(path_dat.line(kPathDatSpamDirectory), api.install_path + "spam" + kPathSeparator);
  derived.calendar_directory = DirectoryOr(path_dat.line(kPathDatCalendarDirectory),
                                           api.install_path + "calendar" + kPathSeparator);
}

}  // namespace tarvelin
