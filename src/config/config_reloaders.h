// Components outside the configuration record (antispam settings, the
// services' message texts) that must re-read their own files whenever the
// configuration is loaded. Each registers once; every load runs them in
// registration order, after bind.dat has been read.
#pragma once

#include <functional>
#include <string>

namespace tarvelin {

struct ConfigState;
struct ApiState;

using ConfigReloader = std::function<void(const ApiState&, const ConfigState&)>;

void RegisterConfigReloader(std::string name, ConfigReloader reloader);
void RunConfigReloaders(const ApiState& api, const ConfigState& config);

}  // namespace tarvelin
