// The automation ABI: objects by class name, members by name and number,
// values as TvVariant. Every entry point checks its pointers, refuses
// handles of released objects, and catches everything.
#include <cstdlib>
#include <string>
#include <vector>

#include "api/automation/abi_last_error.h"
#include "api/automation/abi_variant.h"
#include "api/automation/automation_object.h"
#include "api/automation/the_server.h"
#include "tarvelin/automation.h"

using tarvelin::automation::AbiValue;
using tarvelin::automation::AutomationObject;
using tarvelin::automation::AutomationServer;
using tarvelin::automation::CallOutcome;
using tarvelin::automation::DispatchStatus;
using tarvelin::automation::LiveObject;
using tarvelin::automation::TheServer;
using tarvelin::automation::Variant;

using tarvelin::automation::last_error_text;

namespace {

int32_t StatusOf(DispatchStatus status) {
  switch (status) {
    case DispatchStatus::kOk:
      return TV_S_OK;
    case DispatchStatus::kUnknownName:
      return TV_E_UNKNOWNNAME;
    case DispatchStatus::kMemberNotFound:
      return TV_E_MEMBERNOTFOUND;
    case DispatchStatus::kBadParamCount:
      return TV_E_BADPARAMCOUNT;
    case DispatchStatus::kTypeMismatch:
      return TV_E_TYPEMISMATCH;
    case DispatchStatus::kException:
      return TV_E_EXCEPTION;
  }
  return TV_E_EXCEPTION;
}

template <typename Body>
int32_t Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    last_error_text = error.what();
    return TV_E_EXCEPTION;
  } catch (...) {
    last_error_text = "Unexpected error";
    return TV_E_EXCEPTION;
  }
}

}  // namespace

extern "C" {

int32_t TvCreateObject(const char* class_name, TvObject** out) {
  if (!class_name || !out) return TV_E_INVALIDARG;
  *out = nullptr;
  return Guarded([&] {
    AutomationServer& server = TheServer();
    auto object = server.CreateByName(class_name);
    if (!object.ok()) {
      last_error_text = object.status().message();
      return TV_E_CLASSNOTREG;
    }
    *out = reinterpret_cast<TvObject*>(object->Release());
    return TV_S_OK;
  });
}

int32_t TvAddRef(TvObject* object) {
  return Guarded([&] {
    AutomationObject* live = LiveObject(TheServer(), object);
    return live ? live->AddRef() : 0;
  });
}

int32_t TvRelease(TvObject* object) {
  return Guarded([&] {
    AutomationObject* live = LiveObject(TheServer(), object);
    return live ? live->Release() : 0;
  });
}

int32_t TvGetDispId(TvObject* object, const char* member, int32_t* dispid) {
  if (!object || !member || !dispid) return TV_E_INVALIDARG;
  return Guarded([&] {
    AutomationObject* live = LiveObject(TheServer(), object);
    if (!live) return TV_E_INVALIDARG;
    auto found = tarvelin::automation::FindDispId(live->Class(), member);
    if (!found) return TV_E_UNKNOWNNAME;
    *dispid = *found;
    return TV_S_OK;
  });
}

int32_t TvInvoke(TvObject* object, int32_t dispid, int32_t kind, const TvVariant* args,
                 int32_t argc, TvVariant* result) {
  if (result) TvVariantInit(result);
  if (!object || argc < 0 || (argc > 0 && !args)) return TV_E_INVALIDARG;
  return Guarded([&] {
    AutomationServer& server = TheServer();
    AutomationObject* live = LiveObject(server, object);
    if (!live) return TV_E_INVALIDARG;
    std::vector<Variant> values(static_cast<size_t>(argc));
    for (int32_t i = 0; i < argc; ++i) {
      switch (FromAbi(server, args[i], &values[i])) {
        case AbiValue::kOk:
          break;
        case AbiValue::kBadType:
          return TV_E_TYPEMISMATCH;
        case AbiValue::kDeadObject:
          return TV_E_INVALIDARG;
      }
    }
    // The object stays alive through the call even if a member releases it.
    tarvelin::automation::ObjectRef hold(live);
    CallOutcome outcome = tarvelin::automation::Invoke(*live, dispid, kind, std::move(values));
    if (outcome.status == DispatchStatus::kException) last_error_text = outcome.message;
    if (outcome.status == DispatchStatus::kOk && result) {
      ToAbi(server, std::move(outcome.result), result);
    }
    return StatusOf(outcome.status);
  });
}

const char* TvLastErrorText(void) { return last_error_text.c_str(); }

void TvVariantInit(TvVariant* v) {
  if (!v) return;
  *v = TvVariant{};
  v->type = TV_EMPTY;
}

void TvVariantClear(TvVariant* v) {
  if (!v) return;
  try {
    if (v->type == TV_TEXT) {
      std::free(v->u.text);
    } else if (v->type == TV_OBJECT) {
      TvRelease(v->u.object);
    }
  } catch (...) {
  }
  TvVariantInit(v);
}

}  // extern "C"
