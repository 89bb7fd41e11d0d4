// The C exports of schedules: they answer kResultNotInitialised before Init
// and -1 for an unexpected exception.
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Context;
using tarvelin::OnInitialised;

extern "C" {

int32_t GetScheduleSetting(const void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                           void* buffer, int32_t size) {
  return OnInitialised([&](Context&) {
    return tarvelin::GetScheduleSettingFor(schedule, schedule_size, item, type, buffer, size);
  });
}

int32_t SetScheduleSetting(void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                           const void* buffer, int32_t size) {
  return OnInitialised([&](Context&) {
    return tarvelin::SetScheduleSettingFor(schedule, schedule_size, item, type, buffer, size);
  });
}

}  // extern "C"
