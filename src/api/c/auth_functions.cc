#include "api/c/auth_functions.h"

#include <cstring>
#include <string>

#include "core/accounts/authenticate.h"
#include "core/accounts/password_rules.h"
#include "api/c/api_result.h"
#include "core/context.h"

namespace tarvelin {

namespace {

std::string TextOf(const char* text) { return text == nullptr ? std::string() : text; }

}  // namespace

int32_t AuthenticateUser(Context& context, const char* username, const char* password,
                         const char* ip, int32_t* domain_index, void* buffer, int32_t size) {
  if (size < kUserRecordSize || buffer == nullptr) return kResultBufferTooSmall;
  AuthRequest request;
  request.login = TextOf(username);
  request.secret = TextOf(password);
  request.address = TextOf(ip);
  AuthResult result;
  if (!AuthenticateAccount(context, request, &result)) return kResultFailed;
  std::memcpy(buffer, result.record.data(), kUserRecordSize);
  if (domain_index != nullptr) {
    *domain_index = context.domains().FindPosition(result.domain, /*strict=*/true);
  }
  return kUserRecordSize;
}

int32_t CheckPasswordPolicy(const Context& context, const char* password, const char* mailbox,
                            const char* alias) {
  return PasswordPolicyAccepts(context.config.record, TextOf(password), TextOf(mailbox),
                               TextOf(alias))
             ? 1
             : 0;
}

}  // namespace tarvelin
