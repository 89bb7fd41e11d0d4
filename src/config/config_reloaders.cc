#include "config/config_reloaders.h"

namespace tarvelin {

void ConfigReloaders::Register(std::string name, ConfigReloader reloader) {
  std::lock_guard<std::mutex> guard(mutex_);
  for (auto& entry : reloaders_) {
    if (entry.first == name) {
      entry.second = std::move(reloader);
      return;
    }
  }
  reloaders_.emplace_back(std::move(name), std::move(reloader));
}

void ConfigReloaders::Run(const ApiState& api, const ConfigState& config) const {
  // A reloader may register another: run a copy.
  std::vector<ConfigReloader> snapshot;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& entry : reloaders_) snapshot.push_back(entry.second);
  }
  for (const ConfigReloader& reloader : snapshot) reloader(api, config);
}

}  // namespace tarvelin
