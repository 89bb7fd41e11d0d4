// settings.cfg: the whole ServerConfig record, scrambled, no header. A
// shorter file fills the start of the record and leaves the rest as it was
// in memory; bytes past 28084 are not read.
#pragma once

namespace tarvelin {

struct ApiState;
struct ConfigState;
class DomainList;

// Loads settings.cfg over the record, then runs the defaults pass, bind.dat,
// the registered reloaders, the DNS set-up and, unless `domains` is null,
// the domain list. False only when settings.cfg cannot be read and
// `must_exist` is set; the steps after the read run in every case.
bool LoadServerConfig(ApiState& api, ConfigState& config, DomainList* domains, bool must_exist);

// Writes settings.cfg, then domains.cfg, each replaced as a whole so that a
// crash leaves the old or the new file. True when either was written.
bool SaveServerConfig(const ApiState& api, const ConfigState& config, const DomainList& domains);

}  // namespace tarvelin
