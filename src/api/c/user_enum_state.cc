#include "api/c/user_enum_state.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/accounts/account_walk.h"
#include "core/context.h"
#include "foundation/bytes.h"

namespace tarvelin {

namespace {

int32_t GetSigned(const UserEnumState& state, int offset) {
  return static_cast<int32_t>(GetLE(state.data() + offset, 4));
}

void PutSigned(UserEnumState& state, int offset, int32_t value) {
  PutLE(state.data() + offset, 4, static_cast<uint32_t>(value));
}

// db.so starts the walk in the state, which already holds the walk flag
// and the query.
bool StartDatabaseWalk(const Context& context, std::string_view domain, UserEnumState* state) {
  UserEnumState& s = *state;
  PutSigned(s, walk_offsets::kIndex, -1);
  PutPString(s.data() + walk_offsets::kDomain, walk_offsets::kDomainCapacity, domain);
  const BackendLibrary& backend = context.backend();
  BackendLibrary::Hold hold(backend);
  if (!backend.InitUsers(domain, s.data(), -1, 0)) return false;
  if (GetSigned(s, walk_offsets::kCount) == 0) {
    UserRecord unused{};
    PutSigned(s, walk_offsets::kCount, std::max(backend.GetUsers(domain, unused.data(), -1), 0));
  }
  s[walk_offsets::kDatabaseWalk] = 1;
  s[walk_offsets::kOpen] = 1;
  return true;
}

}  // namespace

bool StartUserWalk(const Context& context, std::string_view domain, std::string_view query,
                   uint8_t walk_flag, UserEnumState* state) {
  state->fill(0);
  UserEnumState& s = *state;
  s[walk_offsets::kWalkFlag] = walk_flag;
  PutPString(s.data() + walk_offsets::kQuery, walk_offsets::kQueryCapacity, query);
  if (context.database_storage()) return StartDatabaseWalk(context, domain, state);
  std::unique_ptr<AccountWalk> walk = AccountWalk::Start(
      context, domain, GetPString(s.data() + walk_offsets::kQuery, walk_offsets::kQueryCapacity));
  if (walk == nullptr) return false;
  PutSigned(s, walk_offsets::kCount, walk->count());
  PutSigned(s, walk_offsets::kIndex, -1);
  PutPString(s.data() + walk_offsets::kDomain, walk_offsets::kDomainCapacity, domain);
  PutSigned(s, walk_offsets::kHandle, context.walks().Add(std::move(walk)));
  s[walk_offsets::kOpen] = 1;
  return true;
}

bool AdvanceUserWalk(const Context& context, UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] == 0) return false;
  if (s[walk_offsets::kDatabaseWalk] != 0) return !context.backend().NextUser(s.data());
  AccountWalk* walk = context.walks().Find(GetSigned(s, walk_offsets::kHandle));
  if (walk == nullptr || !walk->NextInto(s.data() + walk_offsets::kRecord)) return false;
  PutSigned(s, walk_offsets::kIndex, walk->position());
  return true;
}

void EndUserWalk(const Context& context, UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] != 0) {
    if (s[walk_offsets::kDatabaseWalk] != 0) {
      context.backend().DoneUsers(s.data());
    } else {
      context.walks().Remove(GetSigned(s, walk_offsets::kHandle));
    }
  }
  s[walk_offsets::kOpen] = 0;
}

int32_t WalkIndex(const UserEnumState& state) { return GetSigned(state, walk_offsets::kIndex); }
int32_t WalkCount(const UserEnumState& state) { return GetSigned(state, walk_offsets::kCount); }

}  // namespace tarvelin
