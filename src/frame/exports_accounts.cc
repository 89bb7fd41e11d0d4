// The C exports of the account settings.
#include "accounts/account_defaults.h"
#include "accounts/user_settings.h"
#include "frame/api_result.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::TheLibrary;

extern "C" {

int32_t GetUserSetting(const void* record, int32_t record_size, int32_t id, void* buffer,
                       int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::GetUserSetting(TheLibrary(), record, record_size, id, buffer, size);
  });
}

int32_t SetUserSetting(void* record, int32_t record_size, int32_t id, const void* buffer,
                       int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::SetUserSetting(TheLibrary(), record, record_size, id, buffer, size);
  });
}

int32_t SetUserDefaults(void* record, int32_t record_size, int32_t force) {
  return Guarded(
      0, [&] { return tarvelin::SetUserDefaults(TheLibrary(), record, record_size, force); });
}

}  // extern "C"
