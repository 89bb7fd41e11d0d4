// The object registry as the server resolves class names: the registry
// file (jobs/registration) read and kept while its stamp stays the same,
// so creating many child objects does not read an unchanged file again. A
// missing or damaged file resolves nothing. Safe from many threads.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "api/automation/automation_server.h"
#include "jobs/registration/reg_file.h"
#include "platform/env.h"

namespace tarvelin::automation {

class RegistryResolver {
 public:
  // `env` outlives the resolver. The file is found anew at every lookup
  // (registration::RegistryFilePath), so a changed $TARVELIN_REGISTRY
  // counts from the next one.
  explicit RegistryResolver(Env& env) : env_(env) {}

  Result<Guid> Resolve(std::string_view class_name);

 private:
  Env& env_;
  std::mutex mutex_;
  std::string path_;
  FileStamp stamp_;
  std::optional<registration::RegFile> file_;  // none: missing or damaged
};

// A ClassResolver over a shared RegistryResolver.
ClassResolver ResolveThroughRegistry(Env& env);

}  // namespace tarvelin::automation
