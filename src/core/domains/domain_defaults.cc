#include "core/domains/domain_defaults.h"

#include <cmath>
#include <string>

#include "schema/domain_record_layout.h"
#include "foundation/bytes.h"
#include "platform/local_now.h"

namespace tarvelin {

namespace {

constexpr char kExpiresInDaysKey[] = "DomainExpiresInDays";

const DomainField* DefaultField(const DefaultsLine& line) {
  for (const DomainField& field : DomainFields()) {
    if (field.default_key && line.Is(field.name)) return &field;
  }
  return nullptr;
}

void ApplyField(const DomainField& field, const DefaultsLine& line, uint8_t* record) {
  uint8_t* at = record + field.offset;
  switch (field.kind) {
    case FieldKind::kText:
      PutPString(at, field.capacity(), line.value);
      break;
    case FieldKind::kNumber:
      PutLE(at, field.width, static_cast<uint32_t>(line.Number()));
      break;
    case FieldKind::kFlag:
      *at = line.Number() == 1 ? 1 : 0;
      break;
    case FieldKind::kBit:
      if (line.Number() == 1) *at = static_cast<uint8_t>(*at | (1u << field.bit));
      break;
    default:
      break;  // no default key names a field of another kind
  }
}

}  // namespace

void ApplyDomainDefaults(const std::vector<DefaultsLine>& lines, double today, uint8_t* record) {
  for (const DefaultsLine& line : lines) {
    if (line.Is(kExpiresInDaysKey)) {
      PutDouble(record + domain_offsets::kExpiryDate, today + static_cast<double>(line.Number()));
      record[domain_offsets::kExpires] = 1;
    } else if (const DomainField* field = DefaultField(line)) {
      ApplyField(*field, line, record);
    }
  }
}

bool ApplyDomainDefaultsFile(Env& env, std::string_view config_path, uint8_t* record) {
  std::vector<DefaultsLine> lines;
  if (!ReadDefaultsFile(env, std::string(config_path) + "default.ini", &lines)) return false;
  ApplyDomainDefaults(lines, std::floor(LocalNowAsDateTime(env)), record);
  return true;
}

}  // namespace tarvelin
