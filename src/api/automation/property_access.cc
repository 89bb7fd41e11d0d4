#include "api/automation/property_access.h"

#include <cstring>
#include <vector>

#include "api/automation/automation_error.h"
#include "core/context.h"
#include "foundation/text.h"
#include "platform/local_now.h"
#include "schema/property_table.h"

namespace tarvelin::automation {

namespace {

constexpr int32_t kArea = 255;
constexpr int32_t kAreaStep = 2048;
constexpr int32_t kAreaLimit = 32768;
constexpr int32_t kBufferTooSmall = -3;
constexpr size_t kTextLimit = 255;

Variant Converted(int32_t result, ValueKind kind, const std::vector<uint8_t>& area) {
  if (result < 0) return Variant();
  size_t length = std::min(static_cast<size_t>(result), area.size());
  return ValueToVariant(kind, std::span<const uint8_t>(area.data(), length));
}

Variant GetWithAreas(AutomationObject& self, const Variant& command, const SettingGetter& get,
                     bool grow) {
  ResolvedProperty property = ResolveProperty(self.context().properties(), command);
  int32_t size = kArea;
  std::vector<uint8_t> area(size, 0);
  int32_t result = get(property.number, area.data(), size);
  while (grow && result == kBufferTooSmall && size + kAreaStep < kAreaLimit) {
    size += kAreaStep;
    area.assign(size, 0);
    result = get(property.number, area.data(), size);
  }
  self.set_last_err(result);
  return Converted(result, property.kind, area);
}

}  // namespace

ResolvedProperty ResolveProperty(const PropertyTable& table, const Variant& command,
                                 const Variant* value) {
  std::string text = CutTo(command.ToText().value_or(std::string()), kTextLimit);
  if (!text.empty()) {
    const PropertyEntry* entry = table.Lookup(text);
    if (!entry) {
      bool number = text[0] >= '0' && text[0] <= '9';
      throw AutomationError("Property " + (number ? text : ToLower(text)) + " not found");
    }
    return {entry->number, entry->kind};
  }
  ResolvedProperty property;
  property.number = command.ToInt32().value_or(0);
  if (!value) {
    property.kind = ValueKind::kText;
  } else if (value->type() == VarType::kDate) {
    property.kind = ValueKind::kDateTime;
  } else if (value->type() == VarType::kText) {
    property.kind = ValueKind::kText;
  }
  return property;
}

Variant ValueToVariant(ValueKind kind, std::span<const uint8_t> bytes) {
  switch (kind) {
    case ValueKind::kInteger: {
      uint8_t raw[4] = {0, 0, 0, 0};
      std::memcpy(raw, bytes.data(), std::min<size_t>(4, bytes.size()));
      uint32_t value = uint32_t{raw[0]} | (uint32_t{raw[1]} << 8) | (uint32_t{raw[2]} << 16) |
                       (uint32_t{raw[3]} << 24);
      return Variant::I4(static_cast<int32_t>(value));
    }
    case ValueKind::kDateTime: {
      uint8_t raw[8] = {0, 0, 0, 0, 0, 0, 0, 0};
      std::memcpy(raw, bytes.data(), std::min<size_t>(8, bytes.size()));
      double value;
      std::memcpy(&value, raw, 8);
      return Variant::R8(value);
    }
    case ValueKind::kText:
      return Variant::Text(std::string(bytes.begin(), bytes.end()));
  }
  return Variant();
}

std::string VariantToValue(const Variant& value, ValueKind kind, double now) {
  switch (kind) {
    case ValueKind::kInteger: {
      uint32_t number = static_cast<uint32_t>(value.ToInt32().value_or(0));
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
      return bytes;
    }
    case ValueKind::kDateTime: {
      double number = value.ToDouble().value_or(now);
      std::string bytes(8, '\0');
      std::memcpy(bytes.data(), &number, 8);
      return bytes;
    }
    case ValueKind::kText:
      return CutTo(value.ToText().value_or(std::string()), kTextLimit);
  }
  return {};
}

Variant GetPropertyBy(AutomationObject& self, const Variant& command, const SettingGetter& get) {
  return GetWithAreas(self, command, get, false);
}

Variant GetPropertyGrowing(AutomationObject& self, const Variant& command,
                           const SettingGetter& get) {
  return GetWithAreas(self, command, get, true);
}

bool SetPropertyBy(AutomationObject& self, const Variant& command, const Variant& value,
                   const SettingSetter& set) {
  Context& context = self.context();
  ResolvedProperty property = ResolveProperty(context.properties(), command, &value);
  std::string bytes = VariantToValue(value, property.kind, LocalNowAsDateTime(context.env()));
  int32_t result = set(property.number, bytes.data(), static_cast<int32_t>(bytes.size()));
  self.set_last_err(result);
  return result >= 0;
}

}  // namespace tarvelin::automation
