#include "core/config/config_variables.h"

#include <cmath>
#include <limits>
#include <string>

#include "schema/config_offsets.h"
#include "config/spam_db_header.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "schema/field_codec.h"
#include "schema/marshal.h"
#include "services/service_requests.h"

namespace tarvelin {

namespace {

constexpr int32_t kModeSetting = 126;
constexpr int32_t kConfigPathSetting = 170;
constexpr int32_t kFileNameTagSetting = 210;
constexpr int32_t kInstallPathSetting = 266;
constexpr int32_t kSpamDbDateSetting = 326;
constexpr int32_t kSpamDbField5Setting = 327;
constexpr int32_t kAntispamVersionSetting = 328;
constexpr int32_t kMigrationFirstSetting = 375;      // 375 to 379: 32-bit values
constexpr int32_t kMigrationFirstDateSetting = 380;  // 380, 381: date-times
constexpr int32_t kMigrationLastSetting = 381;
constexpr int32_t kVersionSetting = 4096;
constexpr int32_t kWholeRecordSetting = 4097;
constexpr int32_t kPlatformKindSetting = 4098;

constexpr const char* kAntispamVersion = "3.1 (1.5)";
constexpr const char* kVersion = "8.5.0-8";
constexpr size_t kTextInputMax = 255;
constexpr FieldSlot kWholeRecord{FieldKind::kPacked, 0, kServerConfigSize};

Status UnknownSetting(int32_t id) {
  return Status::NotFound("setting " + std::to_string(id) + " is unknown");
}

// The migration status of the POP3 service, asked only while setting 365 is
// on; all zero when it is off or the service does not answer.
MigrationStatus FetchMigrationStatus(const Context& context) {
  MigrationStatus status{};
  if (context.config.record.Byte(offsets::kMigrationStatusOn) != 0) {
    RequestMigrationStatus(context.Channel(), &status);
  }
  return status;
}

// Ids 375 to 379 read the 32-bit values at 0, 4, 8, 12 and 16; 380 and 381
// the date-times at 24 and 32 as whole days. A date-time that is no number
// or beyond 32 bits reads as 0 rather than as whatever a cast would make.
uint32_t MigrationValue(const MigrationStatus& status, int32_t id) {
  if (id < kMigrationFirstDateSetting) {
    return GetLE(status.data() + 4 * (id - kMigrationFirstSetting), 4);
  }
  const double days =
      std::trunc(GetDouble(status.data() + 24 + 8 * (id - kMigrationFirstDateSetting)));
  if (!std::isfinite(days) || days < std::numeric_limits<int32_t>::min() ||
      days > std::numeric_limits<int32_t>::max()) {
    return 0;
  }
  return static_cast<uint32_t>(static_cast<int32_t>(days));
}

// The value of a special id; NotFound when the id is not special.
Result<int32_t> GetSpecial(Context& context, int32_t id, void* buffer, int32_t size) {
  const ServerConfig& record = context.config.record;
  switch (id) {
    case kModeSetting: {
      uint32_t mode = 0;
      if (record.Byte(offsets::kModeFlagA) != 0) {
        mode = 1;
      } else if (record.Byte(offsets::kModeFlagB) != 0) {
        mode = 2;
      }
      return PutNumber(mode, buffer, size);
    }
    case kConfigPathSetting:
      return PutText(context.api.config_path, buffer, size);
    case kFileNameTagSetting:
      return PutText(context.config.path_dat.line(kPathDatFileNameTag), buffer, size);
    case kInstallPathSetting:
      return PutText(context.api.install_path, buffer, size);
    case kSpamDbDateSetting:
      return PutText(ReadSpamDbHeader(context.env(), context.config.derived.spam_directory).date, buffer, size);
    case kSpamDbField5Setting:
      return PutText(ReadSpamDbHeader(context.env(), context.config.derived.spam_directory).field5, buffer, size);
    case kAntispamVersionSetting:
      return PutText(kAntispamVersion, buffer, size);
    case kVersionSetting:
      return PutText(kVersion, buffer, size);
    case kWholeRecordSetting:
      return GetField(record.data(), kWholeRecord, buffer, size);
    case kPlatformKindSetting:
      return PutNumber(record.Byte(offsets::kPlatformKind), buffer, size);
    default:
      if (id >= kMigrationFirstSetting && id <= kMigrationLastSetting) {
        return PutNumber(MigrationValue(FetchMigrationStatus(context), id), buffer, size);
      }
      return UnknownSetting(id);
  }
}

// Stores the value of a settable special id; NotFound or Refused when the
// id is none.
Status SetSpecial(Context& context, int32_t id, const void* buffer, int32_t size) {
  ServerConfig& record = context.config.record;
  switch (id) {
    case kModeSetting: {
      const uint32_t mode = TakeNumber(buffer, size);
      record.SetByte(offsets::kModeFlagA, mode == 1 ? 1 : 0);
      record.SetByte(offsets::kModeFlagB, mode == 2 ? 1 : 0);
      return Status::Ok();
    }
    case kFileNameTagSetting:
      context.config.path_dat.line(kPathDatFileNameTag) =
          CutTo(TakeText(buffer, size), kTextInputMax);
      return Status::Ok();
    case kInstallPathSetting:
      return Status::Ok();  // accepted so that scripts may write back what they read
    case kWholeRecordSetting:
      return SetField(record.data(), kWholeRecord, buffer, size);
    default:
      if (!DescribeConfigSetting(id).ok()) return UnknownSetting(id);
      return Status::Refused("setting " + std::to_string(id) + " can only be read");
  }
}

}  // namespace

Result<SettingShape> DescribeConfigSetting(int32_t id) {
  if (const ConfigField* field = FindConfigFieldById(id)) return ShapeOfField(field->slot());
  constexpr bool kReadOnly = false;
  switch (id) {
    case kModeSetting:
      return SettingShape{SettingKind::kNumber, 1};
    case kPlatformKindSetting:
      return SettingShape{SettingKind::kNumber, 1, false, kReadOnly};
    case kFileNameTagSetting:
    case kInstallPathSetting:
      return SettingShape{SettingKind::kText, static_cast<int>(kTextInputMax)};
    case kWholeRecordSetting:
      return ShapeOfField(kWholeRecord);
    case kConfigPathSetting:
    case kSpamDbDateSetting:
    case kSpamDbField5Setting:
    case kAntispamVersionSetting:
    case kVersionSetting:
      return SettingShape{SettingKind::kText, static_cast<int>(kTextInputMax), false, kReadOnly};
    default:
      if (id >= kMigrationFirstSetting && id <= kMigrationLastSetting) {
        return SettingShape{SettingKind::kNumber, 4, false, kReadOnly};
      }
      return UnknownSetting(id);
  }
}

Result<int32_t> GetConfigSetting(Context& context, int32_t id, void* buffer, int32_t size) {
  if (const ConfigField* field = FindConfigFieldById(id)) {
    return GetField(context.config.record.data(), field->slot(), buffer, size);
  }
  return GetSpecial(context, id, buffer, size);
}

Status SetConfigSetting(Context& context, int32_t id, const void* buffer, int32_t size) {
  if (const ConfigField* field = FindConfigFieldById(id)) {
    TARVELIN_RETURN_IF_ERROR(SetField(context.config.record.data(), field->slot(), buffer, size));
  } else {
    TARVELIN_RETURN_IF_ERROR(SetSpecial(context, id, buffer, size));
  }
  context.api.config_changed = true;
  return Status::Ok();
}

Result<SettingValue> ConfigSettingValue(Context& context, int32_t id) {
  const Result<SettingShape> shape = DescribeConfigSetting(id);
  if (!shape.ok()) return shape.status();
  return ReadSettingValue(*shape, [&](void* buffer, int32_t size) {
    return GetConfigSetting(context, id, buffer, size);
  });
}

int64_t ConfigSettingNumber(Context& context, int32_t id) {
  const Result<SettingValue> value = ConfigSettingValue(context, id);
  if (!value.ok()) return 0;
  if (value->kind() == SettingKind::kFlag) return value->flag() ? 1 : 0;
  return value->kind() == SettingKind::kNumber ? value->number() : 0;
}

Status SetConfigSettingValue(Context& context, int32_t id, const SettingValue& value) {
  const Result<SettingShape> shape = DescribeConfigSetting(id);
  if (!shape.ok()) return shape.status();
  return WriteSettingValue(*shape, value, [&](const void* buffer, int32_t size) {
    return SetConfigSetting(context, id, buffer, size);
  });
}

}  // namespace tarvelin
