// The self-registration exports and the class factories: the library
// writes its classes into the object registry file (jobs/registration),
// hands out one factory per creatable class, and tells whether it may be
// unloaded.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "api/automation/abi_last_error.h"
#include "api/automation/automation_object.h"
#include "api/automation/the_server.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "jobs/registration/class_registration.h"
#include "platform/process_identity.h"
#include "tarvelin/automation.h"

using tarvelin::automation::ClassInfo;
using tarvelin::Guid;
using tarvelin::automation::last_error_text;
using tarvelin::automation::TheServer;

namespace {

struct Factory : TvClassFactory {
  const ClassInfo* info = nullptr;
  // Never below one: the library holds each factory until it is unloaded.
  std::atomic<int32_t> references{1};
};

int32_t CreateInstance(TvClassFactory* self, TvObject** out);
int32_t LockServer(TvClassFactory* self, int32_t lock);
int32_t AddRef(TvClassFactory* self);
int32_t Release(TvClassFactory* self);

// One factory per creatable class, in factory order, made once.
const std::vector<Factory*>& Factories() {
  static const std::vector<Factory*>* const factories = [] {
    auto* made = new std::vector<Factory*>;
    for (const ClassInfo* info : TheServer().classes()) {
      auto* factory = new Factory;
      factory->CreateInstance = CreateInstance;
      factory->LockServer = LockServer;
      factory->AddRef = AddRef;
      factory->Release = Release;
      factory->info = info;
      made->push_back(factory);
    }
    return made;
  }();
  return *factories;
}

Factory* Ours(TvClassFactory* self) {
  for (Factory* factory : Factories()) {
    if (factory == self) return factory;
  }
  return nullptr;
}

int32_t CreateInstance(TvClassFactory* self, TvObject** out) {
  if (!out) return TV_E_INVALIDARG;
  *out = nullptr;
  try {
    Factory* factory = Ours(self);
    if (!factory) return TV_E_INVALIDARG;
    *out = reinterpret_cast<TvObject*>(TheServer().Create(*factory->info).Release());
    return TV_S_OK;
  } catch (const std::exception& error) {
    last_error_text = error.what();
  } catch (...) {
    last_error_text = "Unexpected error";
  }
  return TV_E_EXCEPTION;
}

int32_t LockServer(TvClassFactory* self, int32_t lock) {
  if (!Ours(self)) return TV_E_INVALIDARG;
  TheServer().LockServer(lock != 0);
  return TV_S_OK;
}

int32_t AddRef(TvClassFactory* self) {
  Factory* factory = Ours(self);
  return factory ? ++factory->references : 0;
}

int32_t Release(TvClassFactory* self) {
  Factory* factory = Ours(self);
  if (!factory) return 0;
  int32_t now = factory->references.load();
  while (now > 1 && !factory->references.compare_exchange_weak(now, now - 1)) {
  }
  return now > 1 ? now - 1 : 1;
}

Guid FromAbi(const TvGuid& guid) {
  Guid out;
  out.data1 = guid.data1;
  out.data2 = guid.data2;
  out.data3 = guid.data3;
  for (size_t i = 0; i < out.data4.size(); ++i) out.data4[i] = guid.data4[i];
  return out;
}

bool IsFactoryInterface(const Guid& iid) {
  static const Guid kUnknown = *tarvelin::ParseGuid("{00000000-0000-0000-C000-000000000046}");
  static const Guid kClassFactory = *tarvelin::ParseGuid("{00000001-0000-0000-C000-000000000046}");
  return iid == kUnknown || iid == kClassFactory;
}

// Runs a registration step on the process's registry file; TV_E_FAIL with
// the reason in TvLastErrorText when it fails.
template <typename Step>
int32_t Registration(Step step) noexcept {
  try {
    tarvelin::Env& env = tarvelin::TheContext().env();
    tarvelin::Result<std::string> file = tarvelin::registration::RegistryFilePath(env);
    if (!file.ok()) {
      last_error_text = file.status().message();
      return TV_E_FAIL;
    }
    tarvelin::Status done = step(env, *file);
    if (done.ok()) return TV_S_OK;
    last_error_text = done.message();
  } catch (const std::exception& error) {
    last_error_text = error.what();
  } catch (...) {
    last_error_text = "Unexpected error";
  }
  return TV_E_FAIL;
}

}  // namespace

extern "C" {

int32_t DllRegisterServer(void) {
  return Registration([](tarvelin::Env& env, const std::string& file) {
    // The file that holds this code is the library the classes load from.
    tarvelin::Result<std::string> library =
        tarvelin::LoadedFileOf(reinterpret_cast<const void*>(&DllRegisterServer));
    if (!library.ok()) {
      return tarvelin::Status::IOError("cannot find the library's own file: " +
                                       library.status().message());
    }
    return tarvelin::registration::RegisterClasses(env, file, *library).status();
  });
}

int32_t DllUnregisterServer(void) {
  return Registration([](tarvelin::Env& env, const std::string& file) {
    return tarvelin::registration::UnregisterClasses(env, file).status();
  });
}

int32_t DllGetClassObject(const TvGuid* clsid, const TvGuid* iid, void** out) {
  if (!clsid || !iid || !out) return TV_E_INVALIDARG;
  *out = nullptr;
  try {
    const Guid wanted = FromAbi(*clsid);
    for (Factory* factory : Factories()) {
      if (factory->info->ids.clsid != wanted) continue;
      if (!IsFactoryInterface(FromAbi(*iid))) return TV_E_NOINTERFACE;
      ++factory->references;
      *out = static_cast<TvClassFactory*>(factory);
      return TV_S_OK;
    }
    return TV_CLASS_E_CLASSNOTAVAILABLE;
  } catch (const std::exception& error) {
    last_error_text = error.what();
  } catch (...) {
    last_error_text = "Unexpected error";
  }
  return TV_E_FAIL;
}

int32_t DllCanUnloadNow(void) {
  try {
    const tarvelin::automation::AutomationServer& server = TheServer();
    return server.live_objects() == 0 && server.server_locks() == 0 ? TV_S_OK : TV_S_FALSE;
  } catch (...) {
    return TV_S_FALSE;
  }
}

}  // extern "C"
