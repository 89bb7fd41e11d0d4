#include "api/c/spam_index_export.h"

#include "api/c/api_result.h"
#include "core/context.h"
#include "jobs/antispam/spam_index.h"

namespace tarvelin::capi {

int32_t SpamIndexNow(Context& context, const char* email) {
  if (email != nullptr) {
    SpamIndexTally tally;
    if (!IndexAccountSpam(context, email, &tally).ok()) return kResultFailed;
  }
  // Without an answer: whether the service took it is not the caller's
  // concern.
  RequestSpamIndexing(context);
  return 0;
}

}  // namespace tarvelin::capi
