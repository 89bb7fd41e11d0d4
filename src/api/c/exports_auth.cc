// The C exports of logins and the password policy.
#include "core/accounts/auth_functions.h"
#include "api/c/api_result.h"
#include "api/c/export_guard.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "tarvelin/api.h"

using tarvelin::Guarded;
using tarvelin::kResultFailed;
using tarvelin::TheContext;

extern "C" {

int32_t AuthenticateUser(const char* username, const char* password, const char* ip,
                         int32_t* domain_index, void* buffer, int32_t size) {
  return Guarded(kResultFailed, [&] {
    return tarvelin::AuthenticateUser(TheContext(), username, password, ip, domain_index, buffer,
                                      size);
  });
}

int32_t CheckPasswordPolicy(const char* password, const char* mailbox, const char* alias) {
  return Guarded(
      0, [&] { return tarvelin::CheckPasswordPolicy(TheContext(), password, mailbox, alias); });
}

}  // extern "C"
