// ObjectRef: one counted reference to an automation object; copying takes
// another, destruction gives it back.
#pragma once

#include <utility>

namespace tarvelin::automation {

class AutomationObject;

class ObjectRef {
 public:
  ObjectRef() = default;
  // Takes a new reference to `object` (null allowed).
  explicit ObjectRef(AutomationObject* object);
  ObjectRef(const ObjectRef& other);
  ObjectRef(ObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ObjectRef& operator=(ObjectRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ObjectRef();

  // Wraps a reference the caller already holds, without taking another.
  static ObjectRef Adopt(AutomationObject* object);
  // Hands the reference over to the caller.
  AutomationObject* Release() { return std::exchange(object_, nullptr); }

  AutomationObject* get() const { return object_; }
  AutomationObject* operator->() const { return object_; }
  AutomationObject& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  AutomationObject* object_ = nullptr;
};

}  // namespace tarvelin::automation
