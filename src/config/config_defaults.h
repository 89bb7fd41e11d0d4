// The defaults pass that follows every load of settings.cfg: fills empty
// and zero fields, normalises lists and directories, applies path.dat, and
// rebuilds the process values and derived paths.
#pragma once

namespace tarvelin {

struct ApiState;
struct ConfigState;

void ApplyConfigDefaults(const ApiState& api, ConfigState& config);

}  // namespace tarvelin
