#include "support/fault_installation.h"

#include <algorithm>
#include <filesystem>

#include "schema/config_offsets.h"
#include "support/installation.h"

namespace tarvelin::testing {

namespace fs = std::filesystem;

void FaultInstallation::Lay(const std::vector<std::string>& domains,
                            const std::vector<std::pair<std::string, std::string>>& files) const {
  for (const auto& entry : fs::directory_iterator(dir_.path())) fs::remove_all(entry.path());
  dir_.Write("config/domains.cfg", DomainsFileOf(domains));
  for (const std::string& domain : domains) fs::create_directories(ConfigPath() + domain);
  for (const auto& [relative, content] : files) dir_.Write(relative, content);
}

std::unique_ptr<Context> FaultInstallation::OpenContext(Env& env) const {
  ContextOptions options;
  options.env = &env;
  auto context = std::make_unique<Context>(std::move(options));
  context->api.initialised = true;
  context->api.install_path = dir_.path();
  context->api.config_path = ConfigPath();
  context->config.record.SetText(offsets::kMailRoot, dir_.path() + "mail/");
  const std::string domains = dir_.Read("config/domains.cfg");
  context->config.record.SetNumber(offsets::kDomainCount, 4,
                                   static_cast<uint32_t>(domains.size() / 96));
  context->domains().Load();
  return context;
}

std::vector<std::string> FaultInstallation::Names(std::string_view folder) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_.path() + std::string(folder))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FaultInstallation::TemporaryFiles() const {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    const std::string name = entry.path().filename().string();
    // users.cfg.tmp and remote.cfg.tmp, WriteFileAtomic's and
    // AtomicFileWriter's names; a message file ending in ".tmp" is none.
    if (name.ends_with(".cfg.tmp") || name.find(".tmp.") != std::string::npos ||
        name.starts_with(".~tarvelin.")) {
      found.push_back(fs::relative(entry.path(), dir_.path()).string());
    }
  }
  return found;
}

}  // namespace tarvelin::testing
