// The C exports of the maintenance operations, guarded so that no exception
// crosses into the caller: an unexpected one becomes the export's failure
// value.
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "api/c/traffic_report_export.h"
#include "core/context.h"
#include "api/c/spam_index_export.h"
#include "jobs/mailbox_conversion.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::OnInitialised;
using tarvelin::TheContext;

extern "C" {

int32_t MailboxConvertMessages(const char* mailbox_path, int32_t from_imap, int32_t recursive) {
  return Guarded<int32_t>(0, [&] {
    if (mailbox_path == nullptr) return 0;
    const tarvelin::MailboxConversion how{
        .from_imap = from_imap != 0, .probe = false, .recursive = recursive != 0};
    return tarvelin::ConvertMailbox(TheContext(), mailbox_path, how) ? 1 : 0;
  });
}

int32_t GetUserStat(const char* from, const char* to, const char* filter, const char* output_file) {
  return OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::GetUserStat(context, from, to, filter, output_file, false);
  });
}

int32_t SpamIndexNow(const char* email) {
  return OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::capi::SpamIndexNow(context, email);
  });
}

}  // extern "C"
