#include "api/c/domain_operations.h"

#include <cstring>
#include <string>
#include <vector>

#include "api/c/api_result.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "core/ops/domain_rename_delete.h"

namespace tarvelin::capi {

namespace {

// A position outside the list is the caller's bad argument: -3.
int32_t ResultOf(const Status& status) {
  return status.Is(StatusCode::kInvalidArgument) ? kResultBufferTooSmall : ApiResultOf(status);
}

bool RecordFits(const void* record, int32_t size) {
  return record != nullptr && size >= kDomainRecordSize;
}

int32_t PutZeroFilled(const std::string& text, void* buffer, int32_t size) {
  if (size < static_cast<int32_t>(text.size())) return kResultBufferTooSmall;
  if (size > 0) {
    if (buffer == nullptr) return kResultBufferTooSmall;
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, text.data(), text.size());
  }
  return static_cast<int32_t>(text.size());
}

DomainRecord RecordFrom(const void* buffer) {
  DomainRecord record;
  std::memcpy(record.data(), buffer, record.size());
  return record;
}

}  // namespace

int32_t GetDomainCount(Context& context) { return context.domains().Count(); }

int32_t GetDomainList(Context& context, void* buffer, int32_t size) {
  std::string text;
  for (const std::string& name : DomainNames(context)) {
    text += name;
    text += '\0';
  }
  text += '\0';
  if (size < static_cast<int64_t>(text.size()) || buffer == nullptr) return kResultBufferTooSmall;
  std::memset(buffer, 0, static_cast<size_t>(size));
  std::memcpy(buffer, text.data(), text.size());
  return static_cast<int32_t>(text.size());
}

int32_t GetDomainName(Context& context, int32_t position, void* buffer, int32_t size) {
  const Result<std::string> name = DomainNameAt(context, position);
  return name.ok() ? PutZeroFilled(*name, buffer, size) : ResultOf(name.status());
}

int32_t GetDomainIndex(Context& context, const char* name) {
  return FindDomainPosition(context, name == nullptr ? "" : name);
}

int32_t LoadDomain(Context& context, int32_t position, void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const Result<DomainRecord> record = tarvelin::LoadDomain(context, position);
  if (!record.ok()) return ResultOf(record.status());
  std::memcpy(buffer, record->data(), kDomainRecordSize);
  return kDomainRecordSize;
}

int32_t SaveDomain(Context& context, int32_t position, const void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  return ResultOf(tarvelin::SaveDomain(context, position, RecordFrom(buffer)));
}

int32_t AddDomain(Context& context, const char* name, const void* buffer, int32_t size) {
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  // Every refusal of a name is -1.
  return ApiResultOf(tarvelin::AddDomain(context, name == nullptr ? "" : name, RecordFrom(buffer)));
}

int32_t GetDomainIP(Context& context, int32_t position, void* buffer, int32_t size) {
  const Result<std::string> binding = DomainBinding(context, position);
  return binding.ok() ? PutZeroFilled(*binding, buffer, size) : ResultOf(binding.status());
}

int32_t SetDomainIP(Context& context, int32_t position, const void* buffer, int32_t size) {
  std::string text;
  if (buffer != nullptr && size > 0) text.assign(static_cast<const char*>(buffer), size);
  return ResultOf(SetDomainBinding(context, position, text));
}

int32_t RenameDomain(Context& context, const char* old_name, const char* new_name) {
  if (old_name == nullptr || new_name == nullptr || old_name == new_name) {
    return kResultBufferTooSmall;
  }
  return ApiResultOf(tarvelin::RenameDomain(context, old_name, new_name));
}

int32_t DeleteDomain(Context& context, int32_t position) {
  return ResultOf(tarvelin::DeleteDomain(context, position));
}

}  // namespace tarvelin::capi
