// The server's password policy and the passwords it gives to new accounts.
// The rules come from the configuration variables: 183 (not the mailbox
// nor an alias), 156 minimum length L, 157 minimum digits D, 247 minimum
// characters that are neither digits nor ASCII letters. Length, digits and
// the other characters are checked only when L > 0 and L >= D.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class ServerConfig;

// Whether `password` satisfies the rules. The mailbox counts up to its
// first "@"; the aliases are a ";" list compared without groups.
bool CheckPasswordRules(const ServerConfig& config, std::string_view password,
                        std::string_view mailbox, std::string_view aliases);
// The same when the policy is on (variable 155); any password when it is
// off.
bool PasswordPolicyAccepts(const ServerConfig& config, std::string_view password,
                           std::string_view mailbox, std::string_view aliases);
// As PasswordPolicyAccepts, saying which rule refused the password
// (Refused: the mailbox or an alias, too short, too few digits, too few
// other characters), with the counts.
Status PasswordPolicyVerdict(const ServerConfig& config, std::string_view password,
                             std::string_view mailbox, std::string_view aliases);

// Gives a number in 0 .. bound-1, uniformly.
using RandomBelow = std::function<uint32_t(uint32_t bound)>;
// The random source of `env`, which outlives the function.
RandomBelow EnvRandomBelow(Env& env);

// A new password: L letters (8 when L is 0, at most 63), D digits and the
// minimum of other characters ("~!@#$%&*-_:?.") placed at random
// positions, lower-cased. The other characters take only positions no
// digit holds, so the digits stay as many as the rules ask; no kind is
// placed more often than there are positions for it.
std::string GenerateAccountPassword(const ServerConfig& config, const RandomBelow& random);

}  // namespace tarvelin
