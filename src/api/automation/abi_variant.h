// Moving values across the ABI: a TvVariant (UTF-8 texts, objects as
// pointers the caller may have released) into a Variant (texts in the
// system code page, live objects only), and back.
#pragma once

#include "api/automation/automation_server.h"
#include "api/automation/variant.h"
#include "tarvelin/automation.h"

namespace tarvelin::automation {

enum class AbiValue { kOk, kBadType, kDeadObject };

AbiValue FromAbi(const AutomationServer& server, const TvVariant& in, Variant* out);
// `out` takes the text (allocated with malloc) and the object reference.
void ToAbi(const AutomationServer& server, Variant value, TvVariant* out);

// The object behind a handle, when it is alive.
AutomationObject* LiveObject(const AutomationServer& server, TvObject* handle);

}  // namespace tarvelin::automation
