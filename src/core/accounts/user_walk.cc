#include "core/accounts/user_walk.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/query_filter.h"
#include "store/file/stored_record.h"
#include "schema/user_record.h"
#include "store/file/users_file.h"
#include "schema/property_table.h"
#include "foundation/bytes.h"
#include "core/context.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

int32_t GetSigned(const UserEnumState& state, int offset) {
  return static_cast<int32_t>(GetLE(state.data() + offset, 4));
}

void PutSigned(UserEnumState& state, int offset, int32_t value) {
  PutLE(state.data() + offset, 4, static_cast<uint32_t>(value));
}

// What a walk keeps beside its state, as a buffered file would: the
// records read ahead, and its query's filter.
struct WalkExtras {
  std::unique_ptr<QueryFilter> filter;
  std::vector<uint8_t> ahead;  // stored records, the first at position ahead_first
  int64_t ahead_first = 0;
  int64_t ahead_count = 0;
};

// Records per read: fewer calls into the system on long walks.
constexpr int64_t kReadAhead = 32;

WalkExtras* ExtrasOf(const UserEnumState& state) {
  WalkExtras* extras = nullptr;
  std::memcpy(&extras, state.data() + walk_offsets::kExtras, sizeof(extras));
  return extras;
}

void SetExtras(UserEnumState& state, WalkExtras* extras) {
  std::memcpy(state.data() + walk_offsets::kExtras, &extras, sizeof(extras));
}

// The stored record at `position`, or null after a read error.
const uint8_t* StoredAt(const UserEnumState& state, WalkExtras& extras, int64_t position) {
  if (position < extras.ahead_first || position >= extras.ahead_first + extras.ahead_count) {
    const int64_t wanted = std::min<int64_t>(kReadAhead, WalkCount(state) - position);
    extras.ahead.resize(static_cast<size_t>(wanted) * kUserRecordSize);
    const int64_t got =
        ReadHandleAt(GetSigned(state, walk_offsets::kFile), position * kUserRecordSize,
                     extras.ahead.data(), extras.ahead.size());
    extras.ahead_first = position;
    extras.ahead_count = got < 0 ? 0 : got / kUserRecordSize;
    if (extras.ahead_count == 0) return nullptr;
  }
  return extras.ahead.data() + (position - extras.ahead_first) * kUserRecordSize;
}

bool Accepts(const UserEnumState& state, const WalkExtras& extras) {
  if (state[walk_offsets::kQuery] == 0) return true;
  return extras.filter && extras.filter->Accepts(state.data() + walk_offsets::kRecord);
}

}  // namespace

bool StartUserWalk(const Context& context, std::string_view domain, std::string_view query,
                   uint8_t walk_flag, UserEnumState* state) {
  state->fill(0);
  UserEnumState& s = *state;
  s[walk_offsets::kWalkFlag] = walk_flag;
  PutPString(s.data() + walk_offsets::kQuery, walk_offsets::kQueryCapacity, query);
  const std::string folder = DomainFolder(context, domain);
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
  auto extras = std::make_unique<WalkExtras>();
  if (s[walk_offsets::kQuery] != 0) {
    extras->filter = std::make_unique<QueryFilter>(
        context, InstalledPropertyTable(context.api.install_path),
        GetPString(s.data() + walk_offsets::kQuery, walk_offsets::kQueryCapacity));
  }
  SetExtras(s, extras.release());
  return true;
}

bool AdvanceUserWalk(UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] == 0) return false;
  WalkExtras& extras = *ExtrasOf(s);
  int64_t position = static_cast<int64_t>(GetSigned(s, walk_offsets::kIndex)) + 1;
  while (position < GetSigned(s, walk_offsets::kCount)) {
    const uint8_t* stored = StoredAt(s, extras, position);
    if (stored == nullptr) return false;
    const UserRecord record = RecordFromStored(stored);
    std::memcpy(s.data() + walk_offsets::kRecord, record.data(), record.size());
    PutSigned(s, walk_offsets::kIndex, static_cast<int32_t>(position));
    if (Accepts(s, extras)) return true;
    ++position;
  }
  return false;
}

void EndUserWalk(UserEnumState* state) {
  UserEnumState& s = *state;
  if (s[walk_offsets::kOpen] != 0) {
    CloseHandle(GetSigned(s, walk_offsets::kFile));
    delete ExtrasOf(s);
    SetExtras(s, nullptr);
  }
  s[walk_offsets::kOpen] = 0;
}

int32_t WalkIndex(const UserEnumState& state) { return GetSigned(state, walk_offsets::kIndex); }
int32_t WalkCount(const UserEnumState& state) { return GetSigned(state, walk_offsets::kCount); }

}  // namespace tarvelin
