// A walk over the accounts of one domain in users.cfg order. Its state is
// UserEnumState, one 3552-byte block whose layout is fixed (it is shared
// with the database backend):
//
//   0     2848  the current record (unscrambled, password deciphered)
//   2848  1     open flag: 1 while the walk's users.cfg is open
//   2852  332   the open file (here: its handle, 32-bit, at the start, then
//               the address of what the walk keeps beside the state: its
//               read-ahead buffer and its query's filter)
//   3184  4     current index, signed: -1 before the first record
//   3188  4     records in the file when the walk began, signed
//   3196  96    domain name (text 95)
//   3292  1     walk flag: 0 for walks of the API, 1 for internal scans
//   3293  256   query (text 255); empty for no condition
//
// The walk reads the version of users.cfg that was there when it started,
// whatever is written meanwhile. A walk with a query delivers only the
// records the query accepts (core/accounts/query_filter.h). A walk that was
// started must be ended, and its state must not be copied while it runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelin {

struct Context;

inline constexpr int kUserEnumStateSize = 3552;
using UserEnumState = std::array<uint8_t, kUserEnumStateSize>;

namespace walk_offsets {
inline constexpr int kRecord = 0;
inline constexpr int kOpen = 2848;
inline constexpr int kFile = 2852;
inline constexpr int kExtras = 2856;
inline constexpr int kIndex = 3184;
inline constexpr int kCount = 3188;
inline constexpr int kDomain = 3196;
inline constexpr int kDomainCapacity = 95;
inline constexpr int kWalkFlag = 3292;
inline constexpr int kQuery = 3293;
inline constexpr int kQueryCapacity = 255;
}  // namespace walk_offsets

// Zeroes the state, stores the flag and the query (cut to 255 characters)
// and opens the domain's users.cfg. The query's property names are those of
// the installation's apiconst.pas. False when the file cannot be opened.
bool StartUserWalk(const Context& context, std::string_view domain, std::string_view query,
                   uint8_t walk_flag, UserEnumState* state);
// The next record the query accepts into the state, its position into the
// index: true; false at the end (also after a read error or on a walk that
// is not open).
bool AdvanceUserWalk(UserEnumState* state);
// Closes the file and clears the open flag; harmless on a closed walk.
void EndUserWalk(UserEnumState* state);

int32_t WalkIndex(const UserEnumState& state);
int32_t WalkCount(const UserEnumState& state);

}  // namespace tarvelin
