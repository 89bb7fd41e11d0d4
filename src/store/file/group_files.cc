#include "store/file/group_files.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

GroupFileReader GroupFilesIn(std::string config_path) {
  return [config_path = std::move(config_path)](const std::string& name, std::string* content) {
    const std::string path = IsAbsolutePath(name) ? name : config_path + name;
    return ReadFile(path, content) == ReadResult::kOk;
  };
}

}  // namespace tarvelin
