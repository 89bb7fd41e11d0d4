// The C exports of remote accounts, guarded so that no
// exception crosses into the caller: an unexpected one becomes -1.
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/remote_operations.h"
#include "api/c/setting_exports.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Context;
using tarvelin::OnInitialised;

extern "C" {

int32_t GetRACount(void) {
  return OnInitialised([&](Context& context) { return tarvelin::capi::GetRACount(context); });
}

int32_t LoadRA(int32_t index, void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::LoadRA(context, index, buffer, size); });
}

int32_t SaveRA(int32_t index, const void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::SaveRA(context, index, buffer, size); });
}

int32_t AddRA(const void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::AddRA(context, buffer, size); });
}

int32_t DeleteRA(int32_t index) {
  return OnInitialised([&](Context& context) { return tarvelin::capi::DeleteRA(context, index); });
}

int32_t GetRASetting(const void* record, int32_t record_size, int32_t id, void* buffer,
                     int32_t size) {
  return OnInitialised(
      [&](Context&) { return tarvelin::GetRASettingFor(record, record_size, id, buffer, size); });
}

int32_t SetRASetting(void* record, int32_t record_size, int32_t id, const void* buffer,
                     int32_t size) {
  return OnInitialised(
      [&](Context&) { return tarvelin::SetRASettingFor(record, record_size, id, buffer, size); });
}

}  // extern "C"
