// The C exports: thin shims over the C++ core, each guarded so that no
// exception crosses into the caller.
#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "core/domains/domain_functions.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "core/config/init.h"
#include "api/c/the_context.h"
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
  return Guarded(0, [] { return tarvelin::GetDomainCount(TheContext()); });
}

int32_t GetDomainList(void* buffer, int32_t size) {
  return Guarded(tarvelin::kResultBufferTooSmall,
                 [&] { return tarvelin::GetDomainList(TheContext(), buffer, size); });
}

int32_t GetDomainName(int32_t index, void* buffer, int32_t size) {
  return Guarded(tarvelin::kResultBufferTooSmall,
                 [&] { return tarvelin::GetDomainName(TheContext(), index, buffer, size); });
}

int32_t GetDomainIndex(const char* name) {
  return Guarded(kResultFailed, [&] { return tarvelin::GetDomainIndex(TheContext(), name); });
}

}  // extern "C"
