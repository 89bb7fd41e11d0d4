// C exports of the configuration backup and restore and of the date
// buffers, guarded like every export.
#include "jobs/backup/backup_config.h"
#include "api/c/date_buffers.h"
#include "jobs/backup/restore_config.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::kResultBufferTooSmall;

extern "C" {

int32_t BackupConfig(const char* path) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::ApiResultOf(tarvelin::BackupConfiguration(context, path ? path : ""));
  });
}

int32_t RestoreConfig(const char* path) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::ApiResultOf(tarvelin::RestoreConfiguration(context, path ? path : ""));
  });
}

int32_t SetBufferDate(void* buffer, int32_t size, int32_t year, int32_t month, int32_t day) {
  return Guarded(kResultBufferTooSmall,
                 [&] { return tarvelin::SetBufferDate(buffer, size, year, month, day); });
}

int32_t SetBufferTime(void* buffer, int32_t size, int32_t hour, int32_t minute, int32_t second,
                      int32_t millisecond) {
  return Guarded(kResultBufferTooSmall, [&] {
    return tarvelin::SetBufferTime(buffer, size, hour, minute, second, millisecond);
  });
}

int32_t GetBufferDate(const void* buffer, int32_t size, int32_t* year, int32_t* month,
                      int32_t* day) {
  return Guarded(kResultBufferTooSmall,
                 [&] { return tarvelin::GetBufferDate(buffer, size, year, month, day); });
}

int32_t GetBufferTime(const void* buffer, int32_t size, int32_t* hour, int32_t* minute,
                      int32_t* second, int32_t* millisecond) {
  return Guarded(kResultBufferTooSmall, [&] {
    return tarvelin::GetBufferTime(buffer, size, hour, minute, second, millisecond);
  });
}

}  // extern "C"
