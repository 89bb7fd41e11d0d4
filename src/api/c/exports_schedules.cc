// The C exports of schedules, guarded so that no exception crosses into the
// caller: an unexpected one becomes -1.
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "core/schedules/schedule_settings.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::TheContext;

extern "C" {

int32_t GetScheduleSetting(const void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                           void* buffer, int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::GetScheduleSetting(TheContext(), schedule, schedule_size, item, type, buffer,
                                        size);
  });
}

int32_t SetScheduleSetting(void* schedule, int32_t schedule_size, int32_t item, int32_t type,
                           const void* buffer, int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::SetScheduleSetting(TheContext(), schedule, schedule_size, item, type, buffer,
                                        size);
  });
}

}  // extern "C"
