// AutomationObject: the base of the automation classes. It is reference
// counted, known to its server while it lives (so a released pointer is
// refused rather than followed), and keeps the LastErr that every class
// has: the last result a member stored, read as 0 when it is not negative.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "api/automation/dispatch.h"

namespace tarvelin {
class Context;
}

namespace tarvelin::automation {

class AutomationObject {
 public:
  explicit AutomationObject(AutomationServer& server);
  virtual ~AutomationObject();
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  virtual const ClassInfo& Class() const = 0;

  // The record the Data property hands out by address; empty for a class
  // without one.
  virtual std::span<uint8_t> DataRecord() { return {}; }

  int32_t AddRef();
  // Deletes the object at 0.
  int32_t Release();

  AutomationServer& server() const { return server_; }
  Context& context() const;

  // LastErr as the property reads it.
  int32_t LastErr() const { return last_err_ < 0 ? last_err_ : 0; }
  void set_last_err(int32_t value) { last_err_ = value; }

 private:
  AutomationServer& server_;
  std::atomic<int32_t> references_{1};
  int32_t last_err_ = 0;
};

// The Data property of an object: its record's address, pointer-sized.
Variant DataAddress(AutomationObject& object);

}  // namespace tarvelin::automation
