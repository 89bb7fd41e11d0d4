#include "store/file/group_files.h"

#include <utility>

#include "platform/os_path.h"

namespace tarvelin {

GroupFileReader GroupFilesIn(Env& env, std::string config_path) {
  return [&env, config_path = std::move(config_path)](const std::string& name,
                                                      std::string* content) {
    const std::string path = IsAbsolutePath(name) ? name : config_path + name;
    return env.ReadFile(path, content).ok();
  };
}

}  // namespace tarvelin
