#include "api/c/account_operations.h"

#include <cstring>
#include <string>

#include "api/c/api_result.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/context.h"

namespace tarvelin::capi {

namespace {

Result<std::string> Domain(const Context& context, const char* name) {
  return ResolveDomainName(context, name == nullptr ? "" : name);
}

bool RecordFits(const void* buffer, int32_t size) {
  return buffer != nullptr && size >= kUserRecordSize;
}

UserRecord RecordFrom(const void* buffer) {
  UserRecord record;
  std::memcpy(record.data(), buffer, record.size());
  return record;
}

// The scope of a domain's positions in the Context's load notes.
std::string NotesOf(const std::string& domain) { return "users:" + domain; }

}  // namespace

int32_t GetUserCount(Context& context, const char* domain) {
  const Result<std::string> name = Domain(context, domain);
  return name.ok() ? CountAccounts(context, *name) : ApiResultOf(name.status());
}

int32_t GetUserList(Context& context, const char* domain, void* buffer, int32_t size) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok()) return ApiResultOf(name.status());
  std::string text;
  for (const std::string& alias : PrimaryAliases(context, *name)) {
    text += alias;
    text += '\0';
  }
  text += '\0';
  if (buffer == nullptr || size < static_cast<int64_t>(text.size())) return kResultBufferTooSmall;
  std::memset(buffer, 0, static_cast<size_t>(size));
  std::memcpy(buffer, text.data(), text.size());
  return static_cast<int32_t>(text.size());
}

int32_t GetUserIndex(Context& context, const char* domain, const char* alias) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok() || alias == nullptr) return kResultFailed;
  return PositionOfAlias(context, *name, alias);
}

int32_t LoadUser(Context& context, const char* domain, int32_t position, void* buffer,
                 int32_t size) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok()) return ApiResultOf(name.status());
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const Result<UserRecord> record = LoadAccount(context, *name, position);
  if (!record.ok()) return ApiResultOf(record.status());
  context.load_notes().Note(NotesOf(*name), position, AccountIdentity(*record));
  std::memcpy(buffer, record->data(), kUserRecordSize);
  return kUserRecordSize;
}

int32_t SaveUser(Context& context, const char* domain, int32_t position, const void* buffer,
                 int32_t size) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok()) return ApiResultOf(name.status());
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const UserRecord record = RecordFrom(buffer);
  const Status saved = SaveAccount(context, *name, position, record, "",
                                   context.load_notes().Find(NotesOf(*name), position));
  if (saved.ok()) context.load_notes().Note(NotesOf(*name), position, AccountIdentity(record));
  return ApiResultOf(saved);
}

int32_t AddUser(Context& context, const char* domain, const void* buffer, int32_t size) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok()) return ApiResultOf(name.status());
  if (!RecordFits(buffer, size)) return kResultBufferTooSmall;
  const UserRecord record = RecordFrom(buffer);
  const Result<int> position = AddAccount(context, *name, record, "");
  if (!position.ok()) return ApiResultOf(position.status());
  context.load_notes().Note(NotesOf(*name), *position, AccountIdentity(record));
  return *position;
}

int32_t DeleteUser(Context& context, const char* domain, int32_t position) {
  const Result<std::string> name = Domain(context, domain);
  if (!name.ok()) return ApiResultOf(name.status());
  const Status deleted =
      DeleteAccount(context, *name, position, "", context.load_notes().Find(NotesOf(*name), position));
  if (deleted.ok()) context.load_notes().Removed(NotesOf(*name), position);
  return ApiResultOf(deleted);
}

}  // namespace tarvelin::capi
