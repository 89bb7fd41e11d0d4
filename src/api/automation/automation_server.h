// AutomationServer: what the automation objects of one installation share:
// its Context, the code page of their texts, the classes they can be made
// of, the set of objects alive (a pointer not in it is refused, never
// followed), the server locks of the class factories, and the calls by name
// between objects. The ABI has one over the C API's Context; tests and
// benchmarks build their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "api/automation/dispatch.h"
#include "foundation/code_page.h"
#include "foundation/status.h"

namespace tarvelin {
class Context;
}

namespace tarvelin::automation {

// The class identifier a class name is registered under; NotFound when it
// is not registered.
using ClassResolver = std::function<Result<Guid>(std::string_view class_name)>;

struct ServerOptions {
  // How class names become classes (the object registry).
  ClassResolver resolve;
  // Run before every object is made; AutoInit on the Context when empty.
  std::function<void(Context&)> auto_init;
  // The system code page; $TARVELIN_CODEPAGE, else Windows-1252, when empty.
  std::string code_page;
};

class AutomationServer {
 public:
  AutomationServer(Context& context, ServerOptions options);
  ~AutomationServer();

  Context& context() const { return context_; }
  const CodePage& code_page() const { return *code_page_; }

  // The six creatable classes, in factory order.
  const std::vector<const ClassInfo*>& classes() const { return classes_; }
  const ClassInfo* ClassWithId(const Guid& clsid) const;

  // A new object of the class the name is registered for ("OrvikCOM.X" or
  // "QuorantServer.X", any case); NotFound (saying why) for a name that
  // resolves to no creatable class.
  Result<ObjectRef> CreateByName(std::string_view class_name);
  // A new object of the class, without the registry (the class factories).
  ObjectRef Create(const ClassInfo& info);

  // A member of `object` by name: the by-name call of one object on
  // another. Raises AutomationError with the platform's message when the
  // call fails.
  Variant CallByName(const ObjectRef& object, std::string_view member,
                     std::vector<Variant> args, int kind = kMethod | kPropertyGet);
  // CreateByName, raising AutomationError when it fails.
  ObjectRef CreateChild(std::string_view class_name);

  // The objects alive and the factory locks, for unloading.
  bool IsLive(const void* object) const;
  // The record (DataRecord) of the live object whose record starts at
  // `address`; empty when no live object's does.
  std::span<uint8_t> LiveRecordAt(intptr_t address) const;
  size_t live_objects() const;
  void LockServer(bool lock);
  int server_locks() const;

 private:
  friend class AutomationObject;
  void Track(AutomationObject* object);
  void Untrack(AutomationObject* object);

  Context& context_;
  ServerOptions options_;
  std::unique_ptr<CodePage> code_page_;
  std::vector<const ClassInfo*> classes_;
  mutable std::mutex mutex_;
  std::unordered_set<const void*> live_;
  int locks_ = 0;
};

}  // namespace tarvelin::automation
