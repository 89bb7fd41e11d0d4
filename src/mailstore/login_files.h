// The per-account files of logins, in the account's mail folder:
//   login.dat       24 bytes: failed logins since the last good one (signed
//                   32-bit at 0), the date-time of the last failure (double
//                   at 8, local time); bytes 4-7 and 16-23 are kept as read.
//                   Missing or short: all zero.
//   active.dat      empty; its last-write time is the last activity.
//   useraccess.dat  160 bytes; the last login date-time is the double at 16.
// They are read and written without locks: a lost update only miscounts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

inline constexpr int kLoginFailureSize = 24;
inline constexpr int kUserAccessSize = 160;

struct LoginFailures {
  std::array<uint8_t, kLoginFailureSize> bytes{};
  int32_t count() const;
  double last_failure() const;
};

LoginFailures ReadLoginFailures(Env& env, std::string_view folder);
// One more failure at `now`; creates the folder when missing. False when
// the file cannot be written.
bool CountLoginFailure(Env& env, std::string_view folder, double now, LoginFailures* after);
void ClearLoginFailures(Env& env, std::string_view folder);

// Writes active.dat anew (creating the folder), so that it dates from now.
bool TouchActivity(Env& env, std::string_view folder);
// Whole days since active.dat was written; -1 when it is missing.
int64_t DaysSinceActivity(Env& env, std::string_view folder, int64_t unix_now);

// Sets the last login date-time of useraccess.dat to `now`, keeping the
// rest of its 160 bytes (a missing file counts as zero).
bool RecordAccess(Env& env, std::string_view folder, double now);

}  // namespace tarvelin
