#include "core/accounts/password_rules.h"

#include <algorithm>

#include "schema/config_offsets.h"
#include "schema/server_config.h"
#include "foundation/list_match.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

// ServerConfig fields of the policy.
constexpr int kNotMailboxOrAlias = 159;  // variable 183
constexpr int kMinimumLength = 6999;     // variable 156
constexpr int kMinimumDigits = 7000;     // variable 157
constexpr int kMinimumOthers = 20445;    // variable 247

constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kOthers = "~!@#$%&*-_:?.";
constexpr int kDefaultLength = 8;
constexpr int kLongest = 63;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Replaces characters at random positions with characters of `from` until
// `wanted` were placed or no position is left for them; a position that
// already holds one of `from` or of `kept` is drawn again. Each placement
// turns one more free position, so the loop ends.
void Place(std::string& password, std::string_view from, std::string_view kept, int wanted,
           const RandomBelow& random) {
  const auto taken = [&](char c) {
    return from.find(c) != std::string_view::npos || kept.find(c) != std::string_view::npos;
  };
  const int free = static_cast<int>(std::count_if(password.begin(), password.end(),
                                                  [&](char c) { return !taken(c); }));
  const int limit = std::min(wanted, free);
  for (int placed = 0; placed < limit;) {
    const char c = from[random(static_cast<uint32_t>(from.size()))];
    const size_t at = random(static_cast<uint32_t>(password.size()));
    if (taken(password[at])) continue;
    password[at] = c;
    ++placed;
  }
}

// The rules, whether or not the policy is on: which one refuses.
Status RulesVerdict(const ServerConfig& config, std::string_view password,
                    std::string_view mailbox, std::string_view aliases) {
  if (config.Byte(kNotMailboxOrAlias) != 0) {
    const std::string_view local = mailbox.substr(0, mailbox.find('@'));
    const std::string lower = ToLower(password);
    if (lower == ToLower(local)) {
      return Status::Refused("the password policy refuses the mailbox name as the password");
    }
    if (ListMatch(lower, ToLower(aliases))) {
      return Status::Refused("the password policy refuses an alias of the account as the password");
    }
  }
  const int length = config.Byte(kMinimumLength);
  const int digits = config.Byte(kMinimumDigits);
  if (length == 0 || length < digits) return Status();
  int digit_count = 0, other_count = 0;
  for (unsigned char c : password) {
    if (IsDigit(c)) {
      ++digit_count;
    } else if (!IsLetter(c)) {
      ++other_count;
    }
  }
  const int others = config.Byte(kMinimumOthers);
  const auto refuse = [](int has, int asked, std::string_view what) {
    return Status::Refused("the password policy asks for at least " + std::to_string(asked) +
                           " " + std::string(what) + "; the password has " +
                           std::to_string(has));
  };
  if (static_cast<int>(password.size()) < length) {
    return refuse(static_cast<int>(password.size()), length, "characters");
  }
  if (digit_count < digits) return refuse(digit_count, digits, "digits");
  if (others != 0 && other_count < others) {
    return refuse(other_count, others, "characters other than letters and digits");
  }
  return Status();
}

}  // namespace

bool PasswordPolicyAccepts(const ServerConfig& config, std::string_view password,
                           std::string_view mailbox, std::string_view aliases) {
  return PasswordPolicyVerdict(config, password, mailbox, aliases).ok();
}

Status PasswordPolicyVerdict(const ServerConfig& config, std::string_view password,
                             std::string_view mailbox, std::string_view aliases) {
  if (config.Byte(offsets::kPasswordPolicy) == 0) return Status();
  return RulesVerdict(config, password, mailbox, aliases);
}

bool CheckPasswordRules(const ServerConfig& config, std::string_view password,
                        std::string_view mailbox, std::string_view aliases) {
  return RulesVerdict(config, password, mailbox, aliases).ok();
}

RandomBelow EnvRandomBelow(Env& env) {
  return [&env](uint32_t bound) -> uint32_t {
    if (bound <= 1) return 0;
    // Rejection keeps the draw uniform.
    const uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
    uint32_t value;
    do {
      value = env.RandomUint32();
    } while (value >= limit);
    return value % bound;
  };
}

std::string GenerateAccountPassword(const ServerConfig& config, const RandomBelow& random) {
  int length = config.Byte(kMinimumLength);
  if (length == 0) length = kDefaultLength;
  length = std::min(length, kLongest);
  std::string password;
  for (int i = 0; i < length; ++i) password += kLetters[random(kLetters.size())];
  Place(password, kDigits, "", config.Byte(kMinimumDigits), random);
  Place(password, kOthers, kDigits, config.Byte(kMinimumOthers), random);
  return ToLower(password);
}

}  // namespace tarvelin
