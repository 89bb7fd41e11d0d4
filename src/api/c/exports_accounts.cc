// The C exports of the accounts and their settings.
#include "api/c/account_operations.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/setting_exports.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Context;
using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::kResultNotInitialised;
using tarvelin::OnInitialised;
using tarvelin::TheContext;

extern "C" {

int32_t GetUserCount(const char* domain) {
  return tarvelin::OnInitialised(
      [&](tarvelin::Context& context) { return tarvelin::capi::GetUserCount(context, domain); });
}

int32_t GetUserList(const char* domain, void* buffer, int32_t size) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::GetUserList(context, domain, buffer, size);
  });
}

int32_t GetUserIndex(const char* domain, const char* alias) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::GetUserIndex(context, domain, alias);
  });
}

int32_t LoadUser(const char* domain, int32_t index, void* buffer, int32_t size) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::LoadUser(context, domain, index, buffer, size);
  });
}

int32_t SaveUser(const char* domain, int32_t index, const void* buffer, int32_t size) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::SaveUser(context, domain, index, buffer, size);
  });
}

int32_t AddUser(const char* domain, const void* buffer, int32_t size) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::AddUser(context, domain, buffer, size);
  });
}

int32_t DeleteUser(const char* domain, int32_t index) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::DeleteUser(context, domain, index);
  });
}

int32_t GetUserSetting(const void* record, int32_t record_size, int32_t id, void* buffer,
                       int32_t size) {
  return OnInitialised([&](Context& context) {
    return tarvelin::GetUserSettingFor(context, record, record_size, id, buffer, size);
  });
}

int32_t SetUserSetting(void* record, int32_t record_size, int32_t id, const void* buffer,
                       int32_t size) {
  return OnInitialised(
      [&](Context&) { return tarvelin::SetUserSettingFor(record, record_size, id, buffer, size); });
}

int32_t SetUserDefaults(void* record, int32_t record_size, int32_t force) {
  return OnInitialised<int32_t>(kResultNotInitialised, 0, [&](Context& context) {
    return tarvelin::SetUserDefaultsFor(context, record, record_size, force);
  });
}

}  // extern "C"
