// The C exports of domain records, guarded so that no exception crosses
// into the caller: an unexpected one becomes -1.
#include "api/c/api_result.h"
#include "api/c/domain_operations.h"
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Context;
using tarvelin::OnInitialised;

extern "C" {

int32_t LoadDomain(int32_t index, void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::LoadDomain(context, index, buffer, size); });
}

int32_t SaveDomain(int32_t index, const void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::SaveDomain(context, index, buffer, size); });
}

int32_t AddDomain(const char* name, const void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::AddDomain(context, name, buffer, size); });
}

int32_t RenameDomain(const char* old_name, const char* new_name) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::RenameDomain(context, old_name, new_name);
  });
}

int32_t DeleteDomain(int32_t index) {
  return tarvelin::OnInitialised(
      [&](tarvelin::Context& context) { return tarvelin::capi::DeleteDomain(context, index); });
}

int32_t GetDomainSetting(const void* record, int32_t record_size, int32_t id, void* buffer,
                         int32_t size) {
  return OnInitialised([&](Context&) {
    return tarvelin::GetDomainSettingFor(record, record_size, id, buffer, size);
  });
}

int32_t SetDomainSetting(void* record, int32_t record_size, int32_t id, const void* buffer,
                         int32_t size) {
  return OnInitialised([&](Context&) {
    return tarvelin::SetDomainSettingFor(record, record_size, id, buffer, size);
  });
}

int32_t SetDomainDefaults(void* record, int32_t record_size, int32_t force) {
  return OnInitialised([&](Context& context) {
    return tarvelin::SetDomainDefaultsFor(context, record, record_size, force);
  });
}

int32_t GetDomainIP(int32_t index, void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::GetDomainIP(context, index, buffer, size); });
}

int32_t SetDomainIP(int32_t index, const void* buffer, int32_t size) {
  return OnInitialised(
      [&](Context& context) { return tarvelin::capi::SetDomainIP(context, index, buffer, size); });
}

}  // extern "C"
