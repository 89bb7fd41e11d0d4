#include "api/c/account_enumeration.h"

#include <cstring>
#include <string>

#include "schema/user_record.h"
#include "foundation/text.h"
#include "core/context.h"

namespace tarvelin {

namespace {

constexpr size_t kDomainMax = 255;
constexpr uint8_t kMailingList = 1;
constexpr uint8_t kListServer = 6;
constexpr int kListServerFlag = 1030;

}  // namespace

std::unique_ptr<UserEnumState> InitUsersQuery(const Context& context, const char* domain,
                                              const char* query) {
  if (!context.api.initialised) return nullptr;
  auto state = std::make_unique<UserEnumState>();
  const std::string name = CutTo(domain == nullptr ? "" : domain, kDomainMax);
  if (!StartUserWalk(context, name, query == nullptr ? "" : query, 0, state.get())) {
    return nullptr;
  }
  return state;
}

bool NextUser(const Context& context, UserEnumState* state, void* buffer, int32_t size) {
  if (!context.api.initialised || state == nullptr) return false;
  if (!AdvanceUserWalk(context, state)) return false;
  if (buffer == nullptr || size < kUserRecordSize) return false;
  uint8_t* record = state->data() + walk_offsets::kRecord;
  if (record[user_offsets::kAccountType] == kMailingList && record[kListServerFlag] != 0) {
    record[user_offsets::kAccountType] = kListServer;
  }
  std::memcpy(buffer, record, kUserRecordSize);
  return true;
}

void DoneUsers(const Context& context, std::unique_ptr<UserEnumState> state) {
  if (state) EndUserWalk(context, state.get());
}

}  // namespace tarvelin
