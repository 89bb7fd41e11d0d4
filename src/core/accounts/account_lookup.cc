#include "core/accounts/account_lookup.h"

#include <algorithm>
#include <memory>

#include "store/file/account_cache.h"
#include "store/file/alias_index.h"
#include "store/file/index_registry.h"
#include "store/file/mailbox_index.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "store/file/users_file.h"
#include "schema/domain_record_layout.h"
#include "core/domains/domain_records.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

// ServerConfig fields of this module.
constexpr int kEncipherPasswords = 187;  // variable 205
constexpr int kSearchAllDomains = 1580;  // variable 88

constexpr int kDomainValueCapacity = 62;
constexpr uint8_t kLocalDomain = 0;
constexpr uint8_t kAliasDomain = 2;

constexpr char kFolderSeparator = ':';

IndexRegistry& Indexes() { return IndexRegistry::Instance(); }

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

// The first match of `local_part` in the version of the domain's users.cfg
// with `stamp` (taken just before), through its alias index. `cacheable`
// tells whether the answer holds as long as the file keeps its stamp: not
// when groups decided it.
bool FindInFile(const Context& context, const std::string& path, FileStamp stamp,
                std::string_view local_part, FoundAccount* found, FileStamp* found_stamp,
                bool* cacheable) {
  IndexedFile indexed = stamp.exists ? Indexes().Find(path, stamp) : IndexedFile{};
  if (indexed.file == nullptr) {
    indexed = Indexes().Open(path);
    if (indexed.file == nullptr) return false;
  }
  const int position = indexed.index->FindFirst(local_part, GroupFilesOf(context));
  if (position < 0) return false;
  UserRecord stored;
  if (indexed.file->ReadAt(static_cast<int64_t>(position) * kUserRecordSize, stored.data(),
                           stored.size()) != kUserRecordSize) {
    return false;
  }
  found->record = RecordFromStored(stored.data());
  found->position = position;
  *found_stamp = indexed.file->stamp();
  *cacheable = !indexed.index->DependsOnGroups(position);
  return true;
}

// Find account inside one domain: the cache, then the file.
bool FindInDomain(const Context& context, std::string_view domain, std::string_view local_part,
                  bool use_cache, FoundAccount* found) {
  const std::string folder = DomainFolder(context, domain);
  if (folder.empty()) return false;
  const std::string path = UsersFilePath(folder);
  // One stamp serves the cache and the index.
  const FileStamp current = GetFileStamp(path);
  const std::string key = ToLower(Trim(local_part));
  CachedAccount cached;
  if (use_cache && current.exists && AccountCacheGet(key, domain, path, current, &cached)) {
    found->record = cached.record;
    found->position = cached.position;
  } else {
    FileStamp stamp;
    bool cacheable = false;
    if (!FindInFile(context, path, current, local_part, found, &stamp, &cacheable)) return false;
    if (use_cache && cacheable) {
      AccountCachePut(key, domain, path, stamp, CachedAccount{found->record, found->position});
    }
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
  return context.domains.FolderOf(ToLower(domain));
}

GroupFileReader GroupFilesOf(const Context& context) {
  return [config_path = context.api.config_path](const std::string& name, std::string* content) {
    const std::string path = IsAbsolutePath(name) ? name : config_path + name;
    return ReadFile(path, content) == ReadResult::kOk;
  };
}

int CountAccounts(const Context& context, std::string_view domain) {
  const std::string folder = DomainFolder(context, domain);
  return folder.empty() ? 0 : CountUsers(folder);
}

int LoadAccountAt(const Context& context, std::string_view domain, int position,
                  UserRecord* record) {
  record->fill(0);
  const std::string folder = DomainFolder(context, domain);
  return folder.empty() ? 0 : LoadUserAt(folder, position, record);
}

int PositionOfAlias(const Context& context, std::string_view domain, std::string_view alias) {
  const std::string folder = DomainFolder(context, domain);
  if (folder.empty()) return -1;
  const std::string path = UsersFilePath(folder);
  // A stamp check is all a known version costs.
  const FileStamp stamp = GetFileStamp(path);
  IndexedFile indexed = stamp.exists ? Indexes().Find(path, stamp) : IndexedFile{};
  if (indexed.index == nullptr) indexed = Indexes().Open(path);
  return indexed.index == nullptr ? -1 : indexed.index->FindFirst(alias, GroupFilesOf(context));
}

bool AliasAvailable(const Context& context, std::string_view domain, std::string_view aliases) {
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
  const std::string domain = context.domains.ResolveRecordName(
      at == std::string::npos ? context.domains.NameAt(0) : text.substr(at + 1));
  found->domain = domain;
  if (local_part.empty() || !context.domains.Exists(domain)) return false;

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
      for (int position = 0; position < context.domains.Count() && !hit; ++position) {
        hit = FindInDomain(context, context.domains.NameAt(position), local_part,
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

bool WriteAccountAt(const Context& context, std::string_view domain, const UserRecord& record,
                    int* position) {
  const std::string folder = DomainFolder(context, domain);
  UsersFileAppend append;
  if (folder.empty() ||
      !WriteUserAt(folder, record, position, context.config.record.Byte(kEncipherPasswords) != 0,
                   &append)) {
    return false;
  }
  if (append.done) {
    // Provisioning appends account after account: the index grows with
    // the file instead of being built anew for each.
    Indexes().Appended(UsersFilePath(folder), append.before, append.after, AliasListOf(record),
                       *position);
    MailboxIndex::Appended(UsersFilePath(folder), append.before, append.after, record, *position);
  } else {
    // The replaced version need not stay open for the index.
    Indexes().Forget(UsersFilePath(folder));
  }
  return true;
}

bool RemoveAccountAt(const Context& context, std::string_view domain, int position,
                     UserRecord* removed, std::vector<UserRecord>* groups) {
  const std::string folder = DomainFolder(context, domain);
  if (folder.empty() || !RemoveUserAt(folder, position, removed, groups)) return false;
  Indexes().Forget(UsersFilePath(folder));
  return true;
}

}  // namespace tarvelin
