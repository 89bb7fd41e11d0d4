// The login exports as buffer-shaped functions on a Context: the search of
// core/accounts/authenticate.h and the password policy, turned into the
// result numbers of the C API.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

// The record of the account that accepts the login into `buffer` and the
// strict position of its domain into `domain_index`: kUserRecordSize; -3
// for a buffer below a record; -1 when no account accepts.
int32_t AuthenticateUser(Context& context, const char* username, const char* password,
                         const char* ip, int32_t* domain_index, void* buffer, int32_t size);
// 1 when the policy accepts the password (or is off), else 0.
int32_t CheckPasswordPolicy(const Context& context, const char* password, const char* mailbox,
                            const char* alias);

}  // namespace tarvelin
