// The account walks of the C API. A walk's state is UserEnumState, one
// 3552-byte block whose layout is fixed (it is shared with the database
// backend):
//
//   0     2848  the current record (unscrambled, password deciphered)
//   2848  1     open flag: 1 while the walk is open
//   2852  332   the open walk: its handle in the Context's walk table
//               (32-bit, at the start); the rest zero
//   3184  4     current index, signed: -1 before the first record
//   3188  4     records in the store when the walk began, signed
//   3196  96    domain name (text 95)
//   3292  1     walk flag: 0 for walks of the API, 1 for internal scans
//   3293  256   query (text 255); empty for no condition
//   3549  1     1 for a walk of the account database
//
// In storage mode 2 the database library walks: it keeps its cursor in the
// bytes from 2852, fills the record and the index, and applies the query
// itself.
//
// The state holds no pointer and no file of the walk: it may be copied
// byte for byte, and a stale copy only names a handle that has ended. The
// walk itself is an AccountWalk of the Context (core/accounts/
// account_walk.h). A walk that was started must be ended.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

class Context;

inline constexpr int kUserEnumStateSize = 3552;
using UserEnumState = std::array<uint8_t, kUserEnumStateSize>;

namespace walk_offsets {
inline constexpr int kRecord = 0;
inline constexpr int kOpen = 2848;
inline constexpr int kHandle = 2852;
inline constexpr int kIndex = 3184;
inline constexpr int kCount = 3188;
inline constexpr int kDomain = 3196;
inline constexpr int kDomainCapacity = 95;
inline constexpr int kWalkFlag = 3292;
inline constexpr int kQuery = 3293;
inline constexpr int kQueryCapacity = 255;
inline constexpr int kDatabaseWalk = 3549;
}  // namespace walk_offsets

// Zeroes the state, stores the flag and the query (cut to 255 characters)
// and starts the walk over the domain's accounts. False when the domain has
// no accounts store to walk.
bool StartUserWalk(const Context& context, std::string_view domain, std::string_view query,
                   uint8_t walk_flag, UserEnumState* state);
// The next record the query accepts into the state, its position into the
// index: true; false at the end (also after a read error or on a walk that
// is not open).
bool AdvanceUserWalk(const Context& context, UserEnumState* state);
// Ends the walk and clears the open flag; harmless on a closed walk.
void EndUserWalk(const Context& context, UserEnumState* state);

int32_t WalkIndex(const UserEnumState& state);
int32_t WalkCount(const UserEnumState& state);

}  // namespace tarvelin
