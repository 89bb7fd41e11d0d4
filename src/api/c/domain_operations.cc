#include "api/c/domain_operations.h"

#include "api/c/api_result.h"
#include "core/ops/domain_rename_delete.h"

namespace tarvelin::capi {

int32_t RenameDomain(Context& context, const char* old_name, const char* new_name) {
  if (old_name == nullptr || new_name == nullptr || old_name == new_name) {
    return kResultBufferTooSmall;
  }
  return ApiResultOf(tarvelin::RenameDomain(context, std::string_view(old_name), std::string_view(new_name)));
}

int32_t DeleteDomain(Context& context, int32_t position) {
  const Status status = tarvelin::DeleteDomain(context, static_cast<int>(position));
  return status.Is(StatusCode::kNotFound) ? kResultBufferTooSmall : ApiResultOf(status);
}

}  // namespace tarvelin::capi
