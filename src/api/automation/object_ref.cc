#include "api/automation/object_ref.h"

#include "api/automation/automation_object.h"

namespace tarvelin::automation {

ObjectRef::ObjectRef(AutomationObject* object) : object_(object) {
  if (object_) object_->AddRef();
}

ObjectRef::ObjectRef(const ObjectRef& other) : object_(other.object_) {
  if (object_) object_->AddRef();
}

ObjectRef::~ObjectRef() {
  if (object_) object_->Release();
}

ObjectRef ObjectRef::Adopt(AutomationObject* object) {
  ObjectRef ref;
  ref.object_ = object;
  return ref;
}

}  // namespace tarvelin::automation
