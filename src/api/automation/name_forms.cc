#include "api/automation/name_forms.h"

namespace tarvelin::automation {

ClassResolver EveryClassRegistered() {
  return [](std::string_view class_name) -> Result<Guid> {
    const ClassIds* ids = ClassOfName(class_name);
    if (!ids || !ids->creatable) return Status::NotFound("Class not registered");
    return ids->clsid;
  };
}

}  // namespace tarvelin::automation
