#include "config/config_reloaders.h"

#include <mutex>
#include <utility>
#include <vector>

namespace tarvelin {

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::pair<std::string, ConfigReloader>> reloaders;
};

Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
}

}  // namespace

void RegisterConfigReloader(std::string name, ConfigReloader reloader) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.mutex);
  for (auto& entry : registry.reloaders) {
    if (entry.first == name) {
      entry.second = std::move(reloader);
      return;
    }
  }
  registry.reloaders.emplace_back(std::move(name), std::move(reloader));
}

void RunConfigReloaders(const ApiState& api, const ConfigState& config) {
  std::vector<ConfigReloader> snapshot;
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    for (const auto& entry : registry.reloaders) snapshot.push_back(entry.second);
  }
  for (const ConfigReloader& reloader : snapshot) reloader(api, config);
}

}  // namespace tarvelin
