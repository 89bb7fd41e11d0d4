// A scratch installation whose Contexts work through a FaultInjectionEnv,
// so that tests above the platform can make writes fail or play a crash at
// any step of an operation, then look at the files with a plain PosixEnv as
// a restarted program would.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "platform/fault_injection_env.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

class FaultInstallation {
 public:
  FaultInstallation() = default;

  const std::string& path() const { return dir_.path(); }
  std::string ConfigPath() const { return dir_.path() + "config/"; }
  PosixEnv& plain() { return plain_; }

  // Removes everything and lays the configuration folder anew: domains.cfg
  // naming `domains`, and each file of `files` (relative to the
  // installation).
  void Lay(const std::vector<std::string>& domains,
           const std::vector<std::pair<std::string, std::string>>& files) const;

  // An initialised Context over the installation that makes every call
  // through `env`, with the domain list loaded.
  std::unique_ptr<Context> OpenContext(Env& env) const;

  // The file as it is on disk now.
  std::string Read(std::string_view relative) const { return dir_.Read(relative); }
  // The names in a folder of the installation, sorted.
  std::vector<std::string> Names(std::string_view folder) const;
  // Every file below the installation whose name marks it as a temporary
  // file of a writer.
  std::vector<std::string> TemporaryFiles() const;

 private:
  TempDir dir_;
  PosixEnv plain_;
};

}  // namespace tarvelin::testing
