// Everything the configuration load builds: the record itself, the held
// path.dat entries, and the process-wide values derived from both. None of
// the derived values is written back to settings.cfg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/path_dat.h"
#include "platform/env.h"
#include "schema/server_config.h"

namespace tarvelin {

struct DerivedConfig {
  std::string forward_path;
  std::string retry_path;
  std::string file_name_tag;
  std::string outgoing_bind_address;
  std::string ipv6_bind_address;
  std::vector<std::string> archive_domains;
  bool subdomains_enabled = false;
  uint8_t saved_platform_kind = 0;  // offset 22122 as the last load found it
  std::string spam_directory;
  std::string calendar_directory;
};

// Values the services' shared code takes over from the record at each load.
struct ProcessValues {
  uint32_t dns_cache_size = 128;
  uint32_t timeout_ms = 0;
  uint32_t count_21392 = 0;
  uint32_t count_22213 = 0;
  uint32_t count_23386 = 0;
  char character_24186 = 0;
};

// What the DNS resolver was handed at the last load.
struct DnsResolverSettings {
  bool created = false;
  std::vector<std::string> servers;
  uint32_t query_timeout_seconds = 0;
  uint8_t option_238 = 0;
  uint32_t cache_size = 0;
  uint32_t option_22136 = 0;
};

// settings.cfg and domains.cfg as this process last loaded or saved them:
// a save tells its own changes by the fields that differ from `record`, and
// another program's by stamps that moved (core/config/config_merge.h).
struct ConfigBaseline {
  bool taken = false;  // no load or save yet: there is nothing to merge with
  // As loaded (defaults pass included), except the domain count, which is
  // what settings.cfg held: a list whose count differs still needs a save.
  ServerConfig record;
  FileStamp settings_stamp;  // taken before the read
  FileStamp domains_stamp;
};

struct ConfigState {
  ServerConfig record;
  ConfigBaseline baseline;
  PathDat path_dat;
  DerivedConfig derived;
  ProcessValues process;
  DnsResolverSettings dns;
  bool dns_allowed = true;  // the process-wide DNS switch
  // Where the machine's DNS servers are read from.
  std::string resolv_conf_path = "/etc/resolv.conf";
};

}  // namespace tarvelin
