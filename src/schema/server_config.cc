#include "schema/server_config.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "foundation/bytes.h"

namespace tarvelin {

ServerConfig::ServerConfig() {
  bytes_.fill(0);
  for (const ConfigField& field : ServerConfigFields()) {
    if (!field.has_builtin) continue;
    if (field.kind == FieldKind::kText) {
      PutPString(bytes_.data() + field.offset, field.capacity(), field.builtin_text);
    } else {
      PutLE(bytes_.data() + field.offset, field.size, field.builtin_number);
    }
  }
}

uint32_t ServerConfig::Number(int offset, int width) const {
  return GetLE(bytes_.data() + offset, width);
}

void ServerConfig::SetNumber(int offset, int width, uint32_t value) {
  PutLE(bytes_.data() + offset, width, value);
}

std::string ServerConfig::Text(int offset) const {
  const ConfigField* field = FindConfigFieldAt(offset);
  assert(field != nullptr && field->kind == FieldKind::kText);
  return GetPString(bytes_.data() + offset, field->capacity());
}

void ServerConfig::SetText(int offset, std::string_view text) {
  const ConfigField* field = FindConfigFieldAt(offset);
  assert(field != nullptr && field->kind == FieldKind::kText);
  PutPString(bytes_.data() + offset, field->capacity(), text);
}

const ConfigField* FindConfigFieldAt(int offset) {
  const auto fields = ServerConfigFields();
  const auto it =
      std::lower_bound(fields.begin(), fields.end(), offset,
                       [](const ConfigField& field, int value) { return field.offset < value; });
  return it != fields.end() && it->offset == offset ? &*it : nullptr;
}

const ConfigField* FindConfigFieldById(int id) {
  // One slot per id up to the highest: the lookup lies on the path of every
  // setting, and the ids are small and dense.
  static const auto* const by_id = [] {
    auto* slots = new std::vector<const ConfigField*>;
    for (const ConfigField& field : ServerConfigFields()) {
      if (field.id == kNoSettingId) continue;
      const auto slot = static_cast<size_t>(field.id);
      if (slot >= slots->size()) slots->resize(slot + 1, nullptr);
      if ((*slots)[slot] == nullptr) (*slots)[slot] = &field;
    }
    return slots;
  }();
  if (id < 0 || static_cast<size_t>(id) >= by_id->size()) return nullptr;
  return (*by_id)[static_cast<size_t>(id)];
}

}  // namespace tarvelin
