#include "schema/server_config.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

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
  static const auto* const by_id = [] {
    auto* map = new std::unordered_map<int, const ConfigField*>;
    for (const ConfigField& field : ServerConfigFields()) {
      if (field.id != kNoSettingId) map->emplace(field.id, &field);
    }
    return map;
  }();
  const auto it = by_id->find(id);
  return it != by_id->end() ? it->second : nullptr;
}

}  // namespace tarvelin
