// The C exports: thin shims over the C++ core, each guarded so that no
// exception crosses into the caller.
#include "api/c/api_result.h"
#include "api/c/domain_operations.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "core/config/init.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::ApiResultOf;
using tarvelin::Context;
using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::OnInitialised;
using tarvelin::TheContext;

extern "C" {

int32_t Init(const char* path) {
  return Guarded(tarvelin::kResultNotLoadable,
                 [&] { return tarvelin::ApiResultOf(tarvelin::Init(TheContext(), path)); });
}

void Done(void) {
  tarvelin::GuardedVoid([] { tarvelin::Done(TheContext()); });
}

int32_t GetConfigSetting(int32_t id, void* buffer, int32_t size) {
  return OnInitialised([&](Context& context) {
    return ApiResultOf(tarvelin::GetConfigSetting(context, id, buffer, size));
  });
}

int32_t SetConfigSetting(int32_t id, const void* buffer, int32_t size) {
  return OnInitialised([&](Context& context) {
    return ApiResultOf(tarvelin::SetConfigSetting(context, id, buffer, size));
  });
}

int32_t SaveConfig(void) {
  return Guarded(0, [] { return tarvelin::SaveConfig(TheContext()); });
}

int32_t UpdateConfiguration(void) {
  return Guarded(0, [] { return tarvelin::UpdateConfiguration(TheContext().Channel()); });
}

int32_t ReloadServices(void) {
  return Guarded(0, [] { return tarvelin::ReloadServices(TheContext().Channel()); });
}

int32_t GetDomainCount(void) {
  return tarvelin::OnInitialised<int32_t>(
      tarvelin::kResultNotInitialised, 0,
      [](tarvelin::Context& context) { return tarvelin::capi::GetDomainCount(context); });
}

int32_t GetDomainList(void* buffer, int32_t size) {
  return tarvelin::OnInitialised<int32_t>(
      tarvelin::kResultNotInitialised, tarvelin::kResultBufferTooSmall,
      [&](tarvelin::Context& context) {
        return tarvelin::capi::GetDomainList(context, buffer, size);
      });
}

int32_t GetDomainName(int32_t index, void* buffer, int32_t size) {
  return tarvelin::OnInitialised<int32_t>(
      tarvelin::kResultNotInitialised, tarvelin::kResultBufferTooSmall,
      [&](tarvelin::Context& context) {
        return tarvelin::capi::GetDomainName(context, index, buffer, size);
      });
}

int32_t GetDomainIndex(const char* name) {
  return tarvelin::OnInitialised(
      [&](tarvelin::Context& context) { return tarvelin::capi::GetDomainIndex(context, name); });
}

}  // extern "C"
