// The C exports of logins and the password policy.
#include "api/c/auth_functions.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

extern "C" {

int32_t AuthenticateUser(const char* username, const char* password, const char* ip,
                         int32_t* domain_index, void* buffer, int32_t size) {
  return tarvelin::OnInitialised([&](tarvelin::Context& context) {
    return tarvelin::AuthenticateUser(context, username, password, ip, domain_index, buffer, size);
  });
}

int32_t CheckPasswordPolicy(const char* password, const char* mailbox, const char* alias) {
  return tarvelin::OnInitialised<int32_t>(
      tarvelin::kResultNotInitialised, 0, [&](tarvelin::Context& context) {
        return tarvelin::CheckPasswordPolicy(context, password, mailbox, alias);
      });
}

}  // extern "C"
