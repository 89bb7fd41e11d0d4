#include "api/c/setting_exports.h"

#include "api/c/api_result.h"
#include "core/accounts/account_defaults.h"
#include "schema/user_settings.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "core/schedules/schedule_settings.h"
#include "schema/domain_record_layout.h"
#include "schema/domain_settings.h"
#include "schema/remote_record_layout.h"
#include "schema/remote_settings.h"
#include "schema/schedule_layout.h"
#include "schema/user_record_layout.h"

namespace tarvelin {

namespace {

bool Holds(const void* record, int32_t record_size, int32_t needed) {
  return record != nullptr && record_size >= needed;
}

const uint8_t* Bytes(const void* record) { return static_cast<const uint8_t*>(record); }
uint8_t* Bytes(void* record) { return static_cast<uint8_t*>(record); }

}  // namespace

int32_t GetUserSettingFor(const Context& context, const void* record, int32_t record_size,
                          int32_t id, void* buffer, int32_t size) {
  if (!Holds(record, record_size, kUserRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(GetUserSetting(context.config.record, Bytes(record), id, buffer, size));
}

int32_t SetUserSettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                          int32_t size) {
  if (!Holds(record, record_size, kUserRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(SetUserSetting(Bytes(record), id, buffer, size));
}

int32_t SetUserDefaultsFor(const Context& context, void* record, int32_t record_size,
                           int32_t force) {
  if (!Holds(record, record_size, kUserRecordSize)) return kResultBufferTooSmall;
  return SetUserDefaults(context, Bytes(record), force) ? kUserRecordSize : 0;
}

int32_t GetDomainSettingFor(const void* record, int32_t record_size, int32_t id, void* buffer,
                            int32_t size) {
  if (!Holds(record, record_size, kDomainRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(GetDomainField(Bytes(record), id, buffer, size));
}

int32_t SetDomainSettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                            int32_t size) {
  if (!Holds(record, record_size, kDomainRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(SetDomainField(Bytes(record), id, buffer, size));
}

int32_t SetDomainDefaultsFor(Context& context, void* record, int32_t record_size, int32_t force) {
  if (!Holds(record, record_size, kDomainRecordSize)) return kResultBufferTooSmall;
  return SetDomainDefaults(context, Bytes(record), force) ? kDomainRecordSize : 0;
}

int32_t GetRASettingFor(const void* record, int32_t record_size, int32_t id, void* buffer,
                        int32_t size) {
  if (!Holds(record, record_size, kRemoteRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(GetRemoteField(Bytes(record), id, buffer, size));
}

int32_t SetRASettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                        int32_t size) {
  if (!Holds(record, record_size, kRemoteRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(SetRemoteField(Bytes(record), id, buffer, size));
}

int32_t GetScheduleSettingFor(const void* schedule, int32_t schedule_size, int32_t item,
                              int32_t type, void* buffer, int32_t size) {
  if (!Holds(schedule, schedule_size, kScheduleRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(GetScheduleField(Bytes(schedule), item, type, buffer, size));
}

int32_t SetScheduleSettingFor(void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                              const void* buffer, int32_t size) {
  if (!Holds(schedule, schedule_size, kScheduleRecordSize)) return kResultBufferTooSmall;
  return ApiResultOf(SetScheduleField(Bytes(schedule), item, type, buffer, size));
}

}  // namespace tarvelin
