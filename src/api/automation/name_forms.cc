#include "api/automation/name_forms.h"

#include "foundation/text.h"

namespace tarvelin::automation {

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

ClassResolver EveryClassRegistered() {
  return [](std::string_view class_name) -> Result<Guid> {
    const ClassIds* ids = ClassOfName(class_name);
    if (!ids || !ids->creatable) return Status::NotFound("Class not registered");
    return ids->clsid;
  };
}

}  // namespace tarvelin::automation
