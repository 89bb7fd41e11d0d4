#include "api/automation/automation_server.h"

#include "api/automation/automation_error.h"
#include "api/automation/automation_object.h"
#include "api/automation/classes.h"
#include "core/config/init.h"
#include "core/context.h"

namespace tarvelin::automation {

namespace {

std::string CodePageName(const std::string& chosen, Env& env) {
  if (!chosen.empty()) return chosen;
  std::string named = env.GetVariable("TARVELIN_CODEPAGE");
  if (!named.empty()) return named;
  return std::string(kDefaultCodePage);
}

}  // namespace

AutomationServer::AutomationServer(Context& context, ServerOptions options)
    : context_(context),
      options_(std::move(options)),
      code_page_(std::make_unique<CodePage>(CodePageName(options_.code_page, context.env()))),
      classes_(CreatableClasses()) {}

AutomationServer::~AutomationServer() = default;

const ClassInfo* AutomationServer::ClassWithId(const Guid& clsid) const {
  for (const ClassInfo* info : classes_) {
    if (info->ids.clsid == clsid) return info;
  }
  return nullptr;
}

Result<ObjectRef> AutomationServer::CreateByName(std::string_view class_name) {
  if (!options_.resolve) return Status::NotFound("Class not registered");
  Result<Guid> clsid = options_.resolve(class_name);
  if (!clsid.ok()) return clsid.status();
  const ClassInfo* info = ClassWithId(*clsid);
  if (!info) return Status::NotFound("Class not registered");
  return Create(*info);
}

ObjectRef AutomationServer::Create(const ClassInfo& info) {
  if (options_.auto_init) {
    options_.auto_init(context_);
  } else {
    AutoInit(context_);
  }
  return ObjectRef::Adopt(info.make(*this));
}

Variant AutomationServer::CallByName(const ObjectRef& object, std::string_view member,
                                     std::vector<Variant> args, int kind) {
  if (!object) throw AutomationError("Object required");
  std::optional<int32_t> dispid = FindDispId(object->Class(), member);
  if (!dispid) throw AutomationError(DispatchMessage(DispatchStatus::kUnknownName));
  CallOutcome outcome = Invoke(*object, *dispid, kind, std::move(args));
  if (outcome.status == DispatchStatus::kException) throw AutomationError(outcome.message);
  if (outcome.status != DispatchStatus::kOk) {
    throw AutomationError(DispatchMessage(outcome.status));
  }
  return std::move(outcome.result);
}

ObjectRef AutomationServer::CreateChild(std::string_view class_name) {
  Result<ObjectRef> child = CreateByName(class_name);
  if (!child.ok()) throw AutomationError(child.status().message());
  return std::move(*child);
}

bool AutomationServer::IsLive(const void* object) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.count(object) != 0;
}

std::span<uint8_t> AutomationServer::LiveRecordAt(intptr_t address) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const void* live : live_) {
    std::span<uint8_t> record =
        static_cast<AutomationObject*>(const_cast<void*>(live))->DataRecord();
    if (!record.empty() && reinterpret_cast<intptr_t>(record.data()) == address) return record;
  }
  return {};
}

size_t AutomationServer::live_objects() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.size();
}

void AutomationServer::LockServer(bool lock) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (lock) {
    ++locks_;
  } else if (locks_ > 0) {
    --locks_;
  }
}

int AutomationServer::server_locks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return locks_;
}

void AutomationServer::Track(AutomationObject* object) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_.insert(object);
}

void AutomationServer::Untrack(AutomationObject* object) {
  std::lock_guard<std::mutex> lock(mutex_);
  live_.erase(object);
}

}  // namespace tarvelin::automation
