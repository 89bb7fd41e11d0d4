#include "core/accounts/account_lookup.h"

#include <algorithm>

#include "core/context.h"
#include "core/domains/domain_records.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "platform/os_path.h"
#include "schema/domain_record_layout.h"
#include "schema/user_record_offsets.h"
#include "store/db/backend_library.h"
#include "store/file/group_files.h"

namespace tarvelin {

namespace {

// ServerConfig fields of this module.
constexpr int kSearchAllDomains = 1580;  // variable 88

constexpr int kDomainValueCapacity = 62;
constexpr uint8_t kLocalDomain = 0;
constexpr uint8_t kAliasDomain = 2;

constexpr char kFolderSeparator = ':';

struct DomainAlias {
  bool loaded = false;
  uint8_t type = 0;
  std::string value;
};

// The fields of the domain record that make a domain an alias of another.
DomainAlias DomainAliasOf(Context& context, std::string_view domain) {
  DomainAlias alias;
  DomainRecord record;
  if (!LoadDomainRecord(context, domain, &record)) return alias;
  alias.loaded = true;
  alias.type = record[domain_offsets::kType];
  alias.value = GetPString(record.data() + domain_offsets::kValue, kDomainValueCapacity);
  return alias;
}

// Find account inside one domain: the cache, then the store.
bool FindInDomain(const Context& context, std::string_view domain, std::string_view local_part,
                  bool use_cache, FoundAccount* found) {
  if (!context.accounts().FindByAlias(domain, local_part, use_cache, &found->record,
                                      &found->position)) {
    return false;
  }
  found->domain = std::string(domain);
  return true;
}

// A folder given with the address replaces the folder-delivery text of a
// user account that reads IMAP and allows it (a "1" in the second item).
void ApplyFolderDelivery(const std::string& folder, UserRecord& record) {
  if (AccountTypeOf(record) != kUserAccount) return;
  const uint8_t mode = record[user_offsets::kMailboxMode];
  if (mode != 1 && mode != 2) return;
  uint8_t* field = record.data() + user_offsets::kFolderDelivery;
  const std::vector<std::string> items =
      Split(GetPString(field, user_offsets::kFolderDeliveryCapacity), ';');
  if (items.size() < 2 || items[1].find('1') == std::string::npos) return;
  PutPString(field, user_offsets::kFolderDeliveryCapacity,
             CutTo(folder + ";!", user_offsets::kFolderDeliveryCapacity));
}

}  // namespace

std::string DomainFolder(const Context& context, std::string_view domain) {
  const std::string lower = ToLower(domain);
  if (!DomainStore::IsFolderName(lower)) return {};
  return context.api.config_path + lower + kPathSeparator;
}

GroupFileReader GroupFilesOf(const Context& context) {
  return GroupFilesIn(context.env(), context.api.config_path);
}

int CountAccounts(const Context& context, std::string_view domain) {
  return context.accounts().Count(domain);
}

int LoadAccountAt(const Context& context, std::string_view domain, int position,
                  UserRecord* record) {
  return context.accounts().Load(domain, position, record);
}

int PositionOfAlias(const Context& context, std::string_view domain, std::string_view alias) {
  return context.accounts().PositionOfAlias(domain, alias);
}

bool AliasAvailable(const Context& context, std::string_view domain, std::string_view aliases) {
  if (context.database_storage()) {
    const BackendLibrary& backend = context.backend();
    BackendLibrary::Hold hold(backend);
    // A "taken" answer is confirmed by position: a call that failed answers
    // false too, and the write that follows then says why it fails.
    if (backend.CheckNewAlias(domain, aliases)) return true;
  }
  return PositionOfAlias(context, domain, aliases) < 0;
}

bool FindAccount(Context& context, std::string_view address, bool follow_domain_alias,
                 FoundAccount* found) {
  *found = FoundAccount{};
  std::string text(address);
  const size_t open = text.rfind('<');
  if (open != std::string::npos) {
    const size_t close = text.find('>', open + 1);
    text = text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }
  text = Trim(text);
  const size_t at = text.find('@');
  std::string local_part = text.substr(0, at);
  const std::string domain = context.domains().ResolveRecordName(
      at == std::string::npos ? context.domains().NameAt(0) : text.substr(at + 1));
  found->domain = domain;
  if (local_part.empty() || !context.domains().Exists(domain)) return false;

  // Folder syntax: only a quoted local part names a folder.
  std::string folder;
  if (local_part.find('"') != std::string::npos) {
    local_part.erase(std::remove(local_part.begin(), local_part.end(), '"'), local_part.end());
    const size_t separator = local_part.find(kFolderSeparator);
    if (separator != std::string::npos) {
      folder = CutTo(local_part.substr(separator + 1), 127);
      local_part.erase(separator);
    }
  }

  bool hit = FindInDomain(context, domain, local_part, /*use_cache=*/true, found);
  if (!hit && context.config.record.Byte(kSearchAllDomains) != 0) {
    const DomainAlias own = DomainAliasOf(context, domain);
    if (own.loaded && own.type == kLocalDomain) {
      for (int position = 0; position < context.domains().Count() && !hit; ++position) {
        hit = FindInDomain(context, context.domains().NameAt(position), local_part,
                           /*use_cache=*/false, found);
      }
    }
  }
  if (hit) {
    if (!folder.empty()) ApplyFolderDelivery(folder, found->record);
    return true;
  }
  if (follow_domain_alias) {
    const DomainAlias alias = DomainAliasOf(context, domain);
    if (alias.loaded && alias.type == kAliasDomain) {
      const std::string target = Trim(alias.value);
      const bool again = FindAccount(context, Trim(local_part) + "@" + target, false, found);
      if (!again) found->domain = target;
      return again;
    }
  }
  return false;
}

Status WriteAccountAt(const Context& context, std::string_view domain, const UserRecord& record,
                      int* position) {
  return context.accounts().Write(domain, record, position);
}

Status RemoveAccountAt(const Context& context, std::string_view domain, int position,
                       UserRecord* removed, std::vector<UserRecord>* groups) {
  return context.accounts().Remove(domain, position, removed, groups);
}

}  // namespace tarvelin
