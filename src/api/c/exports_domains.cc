// The C exports of domain records, guarded so that no exception crosses
// into the caller: an unexpected one becomes -1.
#include "core/domains/domain_functions.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::TheLibrary;

extern "C" {

int32_t LoadDomain(int32_t index, void* buffer, int32_t size) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::LoadDomain(TheLibrary(), index, buffer, size); });
}

int32_t SaveDomain(int32_t index, const void* buffer, int32_t size) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::SaveDomain(TheLibrary(), index, buffer, size); });
}

int32_t AddDomain(const char* name, const void* buffer, int32_t size) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::AddDomain(TheLibrary(), name, buffer, size); });
}

int32_t RenameDomain(const char* old_name, const char* new_name) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::RenameDomain(TheLibrary(), old_name, new_name); });
}

int32_t DeleteDomain(int32_t index) {
  return Guarded(kResultFailed, [&] { return tarvelin::DeleteDomain(TheLibrary(), index); });
}

int32_t GetDomainSetting(const void* record, int32_t record_size, int32_t id, void* buffer,
                         int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::GetDomainSetting(TheLibrary(), record, record_size, id, buffer, size);
  });
}

int32_t SetDomainSetting(void* record, int32_t record_size, int32_t id, const void* buffer,
                         int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::SetDomainSetting(TheLibrary(), record, record_size, id, buffer, size);
  });
}

int32_t SetDomainDefaults(void* record, int32_t record_size, int32_t force) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::SetDomainDefaults(TheLibrary(), record, record_size, force);
  });
}

int32_t GetDomainIP(int32_t index, void* buffer, int32_t size) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::GetDomainIP(TheLibrary(), index, buffer, size); });
}

int32_t SetDomainIP(int32_t index, const void* buffer, int32_t size) {
  return Guarded(kResultFailed,
                 [&] { return tarvelin::SetDomainIP(TheLibrary(), index, buffer, size); });
}

}  // extern "C"
