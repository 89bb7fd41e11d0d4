#include "config/config_store.h"

#include <cstring>

#include "config/bind_dat.h"
#include "config/config_defaults.h"
#include "schema/config_offsets.h"
#include "config/config_reloaders.h"
#include "config/config_state.h"
#include "foundation/scramble.h"
#include "foundation/text.h"
#include "config/api_state.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

bool ReadSettingsFile(Env& env, const std::string& path, ServerConfig& record) {
  std::string bytes;
  if (!env.ReadFilePrefix(path, kServerConfigSize, &bytes).ok()) return false;
  auto* data = reinterpret_cast<uint8_t*>(bytes.data());
  ScrambleBytes(data, bytes.size(), 0);
  std::memcpy(record.data(), data, bytes.size());
  return true;
}

std::vector<std::string> ReadArchiveDomains(Env& env, const std::string& path) {
  std::vector<std::string> names;
  std::string content;
  if (!env.ReadFile(path, &content).ok()) return names;
  for (const std::string& line : SplitLines(content)) {
    std::string name = Trim(line);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

void SetUpDnsResolver(ConfigState& config) {
  DnsResolverSettings& dns = config.dns;
  if (!dns.created && !config.dns_allowed) return;
  dns.created = true;
  const ServerConfig& record = config.record;
  dns.servers.clear();
  for (const std::string& server : Split(record.Text(offsets::kDnsServers), ';')) {
    if (!Trim(server).empty()) dns.servers.push_back(Trim(server));
  }
  dns.query_timeout_seconds = record.Number(offsets::kDnsTimeout, 1);
  dns.option_238 = record.Byte(offsets::kDnsOption);
  dns.cache_size = config.process.dns_cache_size;
  dns.option_22136 = record.Number(offsets::kDnsResolverOption, 4);
}

}  // namespace

bool LoadServerConfig(Env& env, ApiState& api, ConfigState& config,
                      const ConfigReloaders& reloaders, bool must_exist) {
  if (api.install_path.empty()) api.install_path = api.config_path + ".." + kPathSeparator;

  const bool read = ReadSettingsFile(env, api.config_path + "settings.cfg", config.record);
  const bool result = read || !must_exist;

  ApplyConfigDefaults(env, api, config);

  DerivedConfig& derived = config.derived;
  derived.outgoing_bind_address = PathDatOutgoingBind(config.path_dat);
  ReadBindDat(env, api.config_path + "bind.dat", &derived.outgoing_bind_address,
              &derived.ipv6_bind_address);
  derived.archive_domains.clear();
  if (config.record.Byte(offsets::kArchiving) != 0) {
    derived.archive_domains = ReadArchiveDomains(env, api.config_path + "archivedomains.dat");
  }

  reloaders.Run(api, config);

  derived.subdomains_enabled = FileExists(env, api.config_path + "subdomains.dat");
  SetUpDnsResolver(config);
  return result;
}

Status SaveServerConfig(Env& env, const ApiState& api, const ConfigState& config) {
  std::string settings(reinterpret_cast<const char*>(config.record.data()), kServerConfigSize);
  ScrambleBytes(reinterpret_cast<uint8_t*>(settings.data()), settings.size(), 0);
  return WriteFileAtomicCreatingFolder(env, api.config_path + "settings.cfg", settings);
}

}  // namespace tarvelin
