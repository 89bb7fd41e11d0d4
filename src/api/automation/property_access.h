// Settings by property: a Command (a property name, or a number as integer
// or text) is resolved through the installation's property-name table, and
// raw setting bytes become a Variant by the property's kind and back. Every
// object's GetProperty and SetProperty run the two steps below with its
// own getter or setter.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "api/automation/automation_object.h"
#include "api/automation/variant.h"
#include "schema/property_line.h"

namespace tarvelin {
class PropertyTable;
}  // namespace tarvelin

namespace tarvelin::automation {

struct ResolvedProperty {
  int32_t number = 0;
  ValueKind kind = ValueKind::kInteger;
};

// Raises "Property %s not found" for a command the table does not list (a
// name lower-cased in the message). An empty command is number 0 of the
// kind of `value` (a date: date-time, a text: text, else integer), a text
// when there is no value.
ResolvedProperty ResolveProperty(const PropertyTable& table, const Variant& command,
                                 const Variant* value = nullptr);

// Integer: the first 4 bytes, signed (missing bytes read as 0); date-time:
// the first 8 bytes as a double (an R8, not a date); text: all the bytes.
Variant ValueToVariant(ValueKind kind, std::span<const uint8_t> bytes);
// Integer: 4 bytes (0 when the value does not convert); date-time: 8 bytes
// (`now` when it does not convert); text: the text form cut to 255
// characters (empty when there is none).
std::string VariantToValue(const Variant& value, ValueKind kind, double now);

// Reads a setting into the buffer; its result as the exports give it.
using SettingGetter = std::function<int32_t(int32_t id, void* buffer, int32_t size)>;
using SettingSetter = std::function<int32_t(int32_t id, const void* buffer, int32_t size)>;

// The value of the property the command names, from a 255-byte area (empty
// when the getter fails); the object's LastErr becomes the getter's result.
Variant GetPropertyBy(AutomationObject& self, const Variant& command, const SettingGetter& get);
// The same, growing the area by 2048 bytes while the getter answers -3, up
// to 32768 bytes (the global settings).
Variant GetPropertyGrowing(AutomationObject& self, const Variant& command,
                           const SettingGetter& get);
// Stores the value; LastErr becomes the setter's result; true when it is 0
// or more.
bool SetPropertyBy(AutomationObject& self, const Variant& command, const Variant& value,
                   const SettingSetter& set);

}  // namespace tarvelin::automation
