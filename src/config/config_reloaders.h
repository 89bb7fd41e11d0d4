// Components outside the configuration record (antispam settings, the
// services' message texts) that must re-read their own files whenever the
// configuration is loaded. Each registers once with the installation's
// Context; every load runs them in registration order, after bind.dat has
// been read.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tarvelin {

struct ConfigState;
struct ApiState;

using ConfigReloader = std::function<void(const ApiState&, const ConfigState&)>;

class ConfigReloaders {
 public:
  // Registering a name again replaces its reloader in place.
  void Register(std::string name, ConfigReloader reloader);
  void Run(const ApiState& api, const ConfigState& config) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, ConfigReloader>> reloaders_;
};

}  // namespace tarvelin
