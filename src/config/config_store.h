// settings.cfg: the whole ServerConfig record, scrambled, no header. A
// shorter file fills the start of the record and leaves the rest as it was
// in memory; bytes past 28084 are not read.
#pragma once

#include <string>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

struct ApiState;
struct ConfigState;
class ConfigReloaders;

// Loads settings.cfg over the record, then runs the defaults pass, bind.dat,
// the reloaders and the DNS set-up. False only when settings.cfg cannot be
// read and `must_exist` is set; the steps after the read run in every case.
bool LoadServerConfig(Env& env, ApiState& api, ConfigState& config,
                      const ConfigReloaders& reloaders, bool must_exist);

// Replaces settings.cfg as a whole (creating the configuration folder when
// missing), so that a crash leaves the old or the new file.
Status SaveServerConfig(Env& env, const ApiState& api, const ConfigState& config);

}  // namespace tarvelin
