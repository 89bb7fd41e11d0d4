#include "api/automation/abi_variant.h"

#include <cstdlib>
#include <cstring>

#include "api/automation/automation_object.h"

namespace tarvelin::automation {

AutomationObject* LiveObject(const AutomationServer& server, TvObject* handle) {
  if (!handle || !server.IsLive(handle)) return nullptr;
  return reinterpret_cast<AutomationObject*>(handle);
}

AbiValue FromAbi(const AutomationServer& server, const TvVariant& in, Variant* out) {
  switch (in.type) {
    case TV_EMPTY:
      *out = Variant();
      return AbiValue::kOk;
    case TV_NULL:
      *out = Variant::Null();
      return AbiValue::kOk;
    case TV_I2:
      *out = Variant::I2(in.u.i2);
      return AbiValue::kOk;
    case TV_I4:
      *out = Variant::I4(in.u.i4);
      return AbiValue::kOk;
    case TV_I8:
      *out = Variant::I8(in.u.i8);
      return AbiValue::kOk;
    case TV_UI1:
      *out = Variant::UI1(in.u.ui1);
      return AbiValue::kOk;
    case TV_BOOL:
      *out = Variant::Bool(in.u.boolean != 0);
      return AbiValue::kOk;
    case TV_R8:
      *out = Variant::R8(in.u.r8);
      return AbiValue::kOk;
    case TV_DATE:
      *out = Variant::Date(in.u.r8);
      return AbiValue::kOk;
    case TV_TEXT:
      *out = Variant::Text(in.u.text ? server.code_page().FromUtf8(in.u.text) : std::string());
      return AbiValue::kOk;
    case TV_OBJECT: {
      if (!in.u.object) {
        *out = Variant::Object(ObjectRef());
        return AbiValue::kOk;
      }
      AutomationObject* object = LiveObject(server, in.u.object);
      if (!object) return AbiValue::kDeadObject;
      *out = Variant::Object(ObjectRef(object));
      return AbiValue::kOk;
    }
    default:
      return AbiValue::kBadType;
  }
}

void ToAbi(const AutomationServer& server, Variant value, TvVariant* out) {
  std::memset(out, 0, sizeof *out);
  out->type = static_cast<uint16_t>(value.type());
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      break;
    case VarType::kI2:
      out->u.i2 = static_cast<int16_t>(value.integer());
      break;
    case VarType::kI4:
      out->u.i4 = static_cast<int32_t>(value.integer());
      break;
    case VarType::kI8:
      out->u.i8 = value.integer();
      break;
    case VarType::kUI1:
      out->u.ui1 = static_cast<uint8_t>(value.integer());
      break;
    case VarType::kBool:
      out->u.boolean = value.boolean() ? -1 : 0;
      break;
    case VarType::kR8:
    case VarType::kDate:
      out->u.r8 = value.real();
      break;
    case VarType::kText: {
      std::string utf8 = server.code_page().ToUtf8(value.text());
      char* text = static_cast<char*>(std::malloc(utf8.size() + 1));
      if (!text) {
        out->type = TV_EMPTY;
        break;
      }
      std::memcpy(text, utf8.c_str(), utf8.size() + 1);
      out->u.text = text;
      break;
    }
    case VarType::kObject: {
      ObjectRef object = value.object();
      out->u.object = reinterpret_cast<TvObject*>(object.Release());
      break;
    }
  }
}

}  // namespace tarvelin::automation
