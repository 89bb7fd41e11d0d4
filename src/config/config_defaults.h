// The defaults pass that follows every load of settings.cfg: fills empty
// and zero fields, normalises lists and directories, applies path.dat, and
// rebuilds the process values and derived paths.
#pragma once

#include "platform/env.h"

namespace tarvelin {

struct ApiState;
struct ConfigState;

void ApplyConfigDefaults(Env& env, const ApiState& api, ConfigState& config);

}  // namespace tarvelin
