#include "api/automation/automation_object.h"

#include "api/automation/automation_server.h"

namespace tarvelin::automation {

AutomationObject::AutomationObject(AutomationServer& server) : server_(server) {
  server_.Track(this);
}

AutomationObject::~AutomationObject() { server_.Untrack(this); }

Context& AutomationObject::context() const { return server_.context(); }

int32_t AutomationObject::AddRef() { return ++references_; }

int32_t AutomationObject::Release() {
  int32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

Variant DataAddress(AutomationObject& object) {
  return Variant::I8(static_cast<int64_t>(reinterpret_cast<intptr_t>(object.DataRecord().data())));
}

}  // namespace tarvelin::automation
