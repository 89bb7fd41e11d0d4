// The login exports over the authentication core (authenticate.h) and the
// password rules (password_rules.h).
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

int32_t AuthenticateUser(Context& context, const char* username, const char* password,
                         const char* ip, int32_t* domain_index, void* buffer, int32_t size);
int32_t CheckPasswordPolicy(const Context& context, const char* password, const char* mailbox,
                            const char* alias);

}  // namespace tarvelin
