#include "jobs/registration/class_names.h"

#include "foundation/text.h"

namespace tarvelin::registration {

std::string ProgId(const ClassIds& ids) {
  return std::string(kTypeLibraryName) + "." + std::string(ids.name);
}

std::string LegacyName(const ClassIds& ids) {
  return std::string(kLegacyPrefix) + "." + std::string(ids.name);
}

const ClassIds* ClassOfName(std::string_view class_name) {
  for (const ClassIds& ids : AllClassIds()) {
    if (EqualsNoCase(class_name, ProgId(ids)) || EqualsNoCase(class_name, LegacyName(ids))) {
      return &ids;
    }
  }
  return nullptr;
}

}  // namespace tarvelin::registration
