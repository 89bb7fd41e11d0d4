#include "accounts/user_walk.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "accounts/account_store.h"
#include "accounts/stored_record.h"
#include "accounts/user_record.h"
#include "accounts/users_file.h"
#include "foundation/bytes.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

std::mutex& HookMutex() {
  static auto* const mutex = new std::mutex;
  return *mutex;
}

QueryFilter& Hook() {
  static auto* const hook = new QueryFilter;
  return *hook;
}

int32_t GetSigned(const UserEnumState& state, int offset) {
  return static_cast<int32_t>(GetLE(state.data() + offset, 4));
}

void PutSigned(UserEnumState& state, int offset, int32_t value) {
  PutLE(state.data() + offset, 4, static_cast<uint32_t>(value));
}

bool Accepts(const UserEnumState& state) {
  if (state[walk_offsets::kQuery] == 0) return true;
  QueryFilter hook;
  {
    std::lock_guard<std::mutex> lock(HookMutex());
    hook = Hook();
  }
  return !hook || hook(state);
}

}  // namespace

void SetQueryFilterHook(QueryFilter filter) {
  std::lock_guard<std::mutex> lock(HookMutex());
  Hook() = std::move(filter);
}

bool StartUserWalk(const Library& library, std::string_view domain, std::string_view query,
                   uint8_t walk_flag, UserEnumState* state) {
  state->fill(0);
  UserEnumState& s = *state;
  s[walk_offsets::kWalkFlag] = walk_flag;
  PutPString(s.data() + walk_offsets::kQuery, walk_offsets::kQueryCapacity, query);
  const std::string folder = DomainFolder(library, domain);
  if (folder.empty()) return false;
  FileStamp stamp;
  const int handle = OpenStampedHandle(UsersFilePath(folder), &stamp);
  if (handle < 0) return false;
  PutSigned(s, walk_offsets::kFile, handle);
  PutSigned(s, walk_offsets::kCount,
            static_cast<int32_t>(std::min<int64_t>(stamp.size / kUserRecordSize, INT32_MAX)));
  PutSigned(s, walk_offsets::kIndex, -1);
  s[walk_offsets::kOpen] = 1;
  PutPString(s.data() + walk_offsets::kDomain, walk_offsets::kDomainCapacity, domain);
  return true;
}

bool AdvanceUserWalk(UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] == 0) return false;
  const int handle = GetSigned(s, walk_offsets::kFile);
  int64_t position = static_cast<int64_t>(GetSigned(s, walk_offsets::kIndex)) + 1;
  UserRecord stored;
  while (position < GetSigned(s, walk_offsets::kCount)) {
    if (ReadHandleAt(handle, position * kUserRecordSize, stored.data(), stored.size()) !=
        kUserRecordSize) {
      return false;
    }
    const UserRecord record = RecordFromStored(stored.data());
    std::memcpy(s.data() + walk_offsets::kRecord, record.data(), record.size());
    PutSigned(s, walk_offsets::kIndex, static_cast<int32_t>(position));
    if (Accepts(s)) return true;
    ++position;
  }
  return false;
}

void EndUserWalk(UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] != 0) CloseHandle(GetSigned(s, walk_offsets::kFile));
  s[walk_offsets::kOpen] = 0;
}

int32_t WalkIndex(const UserEnumState& state) { return GetSigned(state, walk_offsets::kIndex); }
int32_t WalkCount(const UserEnumState& state) { return GetSigned(state, walk_offsets::kCount); }

}  // namespace tarvelin
