// The setting exports in C++ form: single settings of a record the caller
// holds, and the defaults applied to one. Each checks the caller's record
// size first (a null record, or one below the record's size, gives
// kResultBufferTooSmall with nothing read or written) and answers the
// export's number. They do not look at initialisation: the extern "C"
// exports ask OnInitialised first, then call these with the process's
// Context.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// Account records of kUserRecordSize bytes.
int32_t GetUserSettingFor(const Context& context, const void* record, int32_t record_size,
                          int32_t id, void* buffer, int32_t size);
int32_t SetUserSettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                          int32_t size);
// kUserRecordSize when the defaults were applied, 0 when they were not.
int32_t SetUserDefaultsFor(const Context& context, void* record, int32_t record_size,
                           int32_t force);

// Domain records of kDomainRecordSize bytes.
int32_t GetDomainSettingFor(const void* record, int32_t record_size, int32_t id, void* buffer,
                            int32_t size);
int32_t SetDomainSettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                            int32_t size);
// kDomainRecordSize when the defaults were applied, 0 when they were not.
int32_t SetDomainDefaultsFor(Context& context, void* record, int32_t record_size, int32_t force);

// Remote account records of kRemoteRecordSize bytes.
int32_t GetRASettingFor(const void* record, int32_t record_size, int32_t id, void* buffer,
                        int32_t size);
int32_t SetRASettingFor(void* record, int32_t record_size, int32_t id, const void* buffer,
                        int32_t size);

// Schedule blocks of kScheduleRecordSize bytes.
int32_t GetScheduleSettingFor(const void* schedule, int32_t schedule_size, int32_t item,
                              int32_t type, void* buffer, int32_t size);
int32_t SetScheduleSettingFor(void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                              const void* buffer, int32_t size);

}  // namespace tarvelin
