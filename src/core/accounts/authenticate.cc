#include "core/accounts/authenticate.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "store/file/account_cache.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/external_logon.h"
#include "store/file/index_registry.h"
#include "mailstore/login_files.h"
#include "core/accounts/login_name.h"
#include "core/accounts/mail_folder.h"
#include "foundation/secret_compare.h"
#include "store/file/stored_record.h"
#include "schema/user_record_offsets.h"
#include "store/file/users_file.h"
#include "schema/config_offsets.h"
#include "schema/domain_record_layout.h"
#include "core/domains/domain_records.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/clock.h"
#include "platform/stamped_file.h"

namespace tarvelin {

namespace {

// ServerConfig fields of the login search.
constexpr int kCountFailures = 20433;  // variable 243
constexpr int kFailureLimit = 20436;   // variable 244
constexpr int kLockMinutes = 20440;    // variable 245

constexpr int kDomainNameMax = 127;
constexpr int kDomainValueCapacity = 62;
constexpr uint8_t kAliasDomain = 2;
constexpr int kRecordsPerRead = 64;
constexpr int kFailureWait = 3;
constexpr int kLockedWait = 20;

std::mutex& SleepLock() {
  static auto* const lock = new std::mutex;
  return *lock;
}
AuthSleep& SleepHook() {
  static auto* const sleep = new AuthSleep;
  return *sleep;
}

void Wait(int seconds) {
  AuthSleep sleep;
  {
    std::lock_guard<std::mutex> lock(SleepLock());
    sleep = SleepHook();
  }
  if (sleep) {
    sleep(seconds);
  } else {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
  }
}

int32_t Signed(const ServerConfig& config, int offset) {
  return static_cast<int32_t>(config.Number(offset, 4));
}

// One search: what stays the same for every candidate.
struct Search {
  Context& context;
  const AuthRequest& request;
  std::string login;  // lower-cased, trimmed, characters mapped
  LoginName name;
  GroupFileReader groups;
  bool locked = false;  // an account reached the failure limit
};

// The failure counting of one checked candidate.
void CountAttempt(Search& search, const UserRecord& record, bool matched) {
  const ServerConfig& config = search.context.config.record;
  if (config.Byte(kCountFailures) == 0 || search.locked) return;
  const int32_t limit = Signed(config, kFailureLimit);
  const std::string folder = AccountMailFolder(search.context, record);
  if (limit == 0 || folder.empty()) return;
  if (matched) {
    ClearLoginFailures(folder);
    return;
  }
  const double now = LocalNowAsDateTime();
  LoginFailures failures;
  CountLoginFailure(folder, now, &failures);
  const double lock_days = Signed(config, kLockMinutes) / 1440.0;
  search.locked = failures.count() >= limit && now <= failures.last_failure() + lock_days;
}

bool SecretMatches(const Search& search, const UserRecord& record, std::string_view domain) {
  const uint8_t mode = record[user_offsets::kAuthMode];
  if (mode == 3) return true;
  const std::string password =
      GetPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity);
  const AuthRequest& request = search.request;
  if (request.method == HashMethod::kPlain && (mode == 1 || mode == 2)) {
    return ExternalCheckAccepts(record, domain, request.secret);
  }
  return SecretAccepted(request.method, search.login, password, request.challenge, request.secret);
}

// The candidate check of one record (password plain) of one domain.
bool CandidatePasses(Search& search, const UserRecord& record, std::string_view domain) {
  if (AccountTypeOf(record) != kUserAccount) return false;
  if (!LoginNameMatches(search.name, record, domain, search.groups)) return false;
  const bool matched = SecretMatches(search, record, domain);
  CountAttempt(search, record, matched);
  if (!matched || search.request.address.empty()) return matched;
  const DomainList& domains = search.context.domains;
  const std::string bound = domains.GetBinding(domains.FindPosition(domain, /*strict=*/true));
  return bound.empty() || ListMatch(search.request.address, bound);
}

// Whether a stored record may answer the login, from its scrambled bytes:
// saves unscrambling every record of a scan by mailbox name.
bool MayAnswer(const Search& search, const uint8_t* stored) {
  uint8_t type = stored[user_offsets::kAccountType];
  ScrambleBytes(&type, 1, user_offsets::kAccountType);
  if (type != kUserAccount) return false;
  if (search.name.by_alias) return true;
  uint8_t field[1 + 127];
  std::memcpy(field, stored + user_offsets::kMailbox, sizeof field);
  ScrambleBytes(field, sizeof field, user_offsets::kMailbox);
  const size_t length = std::min<size_t>(field[0], 127);
  if (length != search.name.mailbox.size()) return false;
  return EqualsNoCase(std::string_view(reinterpret_cast<const char*>(field + 1), length),
                      search.name.mailbox);
}

// Puts a record found in the store into the account cache under its primary
// alias, provided find account would answer that alias with this very
// record from this version of the file.
void CacheFound(const Context& context, const std::string& path, const StampedFile& file,
                std::string_view domain, const UserRecord& record, int position,
                const GroupFileReader& groups) {
  const std::string list =
      GetPString(record.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity);
  const std::string primary = Trim(list.substr(0, list.find(';')));
  if (primary.empty()) return;
  IndexedFile indexed = IndexRegistry::Instance().Find(path, file.stamp());
  if (indexed.index == nullptr) indexed = IndexRegistry::Instance().Open(path);
  if (indexed.index == nullptr || !(indexed.index->stamp() == file.stamp())) return;
  if (indexed.index->FindFirst(primary, groups) != position ||
      indexed.index->DependsOnGroups(position)) {
    return;
  }
  AccountCachePut(primary, domain, path, file.stamp(), CachedAccount{record, position});
}

// One domain's users.cfg, record by record from `first`; true at the first
// candidate that passes.
bool SearchFile(Search& search, const std::string& domain, AuthResult* result) {
  const std::string folder = DomainFolder(search.context, domain);
  if (folder.empty()) return false;
  const std::string path = UsersFilePath(folder);
  StampedFile file;
  if (!file.Open(path)) return false;
  int64_t position = 0;
  // With alias logins the alias index names the first record that can
  // match; a scan goes on from there only when that one fails.
  if (search.name.by_alias) {
    if (search.name.domain != domain) return false;
    IndexedFile indexed = IndexRegistry::Instance().Find(path, file.stamp());
    if (indexed.index == nullptr) indexed = IndexRegistry::Instance().Open(path);
    if (indexed.index != nullptr && indexed.index->stamp() == file.stamp()) {
      const int first = indexed.index->FindFirst(search.name.alias, search.groups);
      if (first < 0) return false;
      position = first;
    }
  }
  const int64_t total = file.stamp().size / kUserRecordSize;
  std::vector<uint8_t> buffer(static_cast<size_t>(kRecordsPerRead) * kUserRecordSize);
  while (position < total) {
    const int64_t wanted = std::min<int64_t>(kRecordsPerRead, total - position);
    const int64_t got = file.ReadAt(position * kUserRecordSize, buffer.data(),
                                    static_cast<size_t>(wanted) * kUserRecordSize);
    const int64_t records = got < 0 ? 0 : got / kUserRecordSize;
    for (int64_t i = 0; i < records; ++i) {
      const uint8_t* stored = buffer.data() + i * kUserRecordSize;
      if (!MayAnswer(search, stored)) continue;
      const UserRecord record = RecordFromStored(stored);
      if (!CandidatePasses(search, record, domain)) continue;
      result->record = record;
      result->domain = CutTo(domain, kDomainNameMax);
      if (search.context.config.record.Byte(offsets::kCachesOff) == 0) {
        CacheFound(search.context, path, file, domain, record, static_cast<int>(position + i),
                   search.groups);
      }
      return true;
    }
    if (records < wanted) return false;  // a read error ends the file
    position += records;
  }
  return false;
}

bool SearchCache(Search& search, AuthResult* result) {
  for (const CachedCandidate& candidate : AccountCacheCandidates(search.name, search.groups)) {
    if (!CandidatePasses(search, candidate.account.record, candidate.domain)) continue;
    const std::string folder = DomainFolder(search.context, candidate.domain);
    const FileStamp current = folder.empty() ? FileStamp{} : GetFileStamp(UsersFilePath(folder));
    if (!AccountCacheConfirm(candidate.key, current)) return false;
    result->record = candidate.account.record;
    result->domain = CutTo(candidate.domain, kDomainNameMax);
    return true;
  }
  return false;
}

// The domains of each pass: a position, or -1 for all of them.
std::vector<int> PlanPasses(const Search& search, bool has_at) {
  const Context& context = search.context;
  const bool alias_login = context.config.record.Byte(offsets::kAliasLogin) != 0;
  std::vector<int> passes{-1};
  if (has_at || alias_login) {
    const int position =
        has_at ? context.domains.FindPosition(search.name.domain, /*strict=*/true) : -1;
    if (!has_at || position < 0) {
      passes.clear();
    } else if (alias_login) {
      passes = {position};
    } else {
      passes = {position, -1};
    }
  }
  const std::string& address = search.request.address;
  if (context.domains.Count() > 0 && context.domains.BindingFlag(0)) {
    for (int position = 0; position < context.domains.Count(); ++position) {
      if (ListMatch(address, context.domains.GetBinding(position))) {
        passes = {position, -1};
        break;
      }
    }
  }
  return passes;
}

bool SearchStore(Search& search, const std::vector<int>& passes, AuthResult* result) {
  // The database backend is not part of this library: nothing to search.
  if (search.context.config.record.Byte(offsets::kStorageMode) == 2) return false;
  const DomainList& domains = search.context.domains;
  for (int pass : passes) {
    const int first = pass < 0 ? 0 : pass;
    const int last = pass < 0 ? domains.Count() - 1 : pass;
    for (int position = first; position <= last; ++position) {
      if (SearchFile(search, domains.NameAt(position), result)) return true;
    }
  }
  return false;
}

// After a good login: the account's activity for the inactivity limit.
void RecordSuccess(const Context& context, const UserRecord& record) {
  if ((GetLE(record.data() + user_offsets::kInactivity, 4) >> 16) == 0) return;
  const std::string folder = AccountMailFolder(context, record);
  if (!folder.empty()) TouchActivity(folder);
}

}  // namespace

void SetAuthSleep(AuthSleep sleep) {
  std::lock_guard<std::mutex> lock(SleepLock());
  SleepHook() = std::move(sleep);
}

bool AuthenticateAccount(Context& context, const AuthRequest& request, AuthResult* result) {
  const ServerConfig& config = context.config.record;
  Search search{context, request, ToLower(Trim(request.login)), {}, GroupFilesOf(context)};
  if (config.Byte(offsets::kMapLoginCharacters) != 0) {
    std::replace_if(
        search.login.begin(), search.login.end(),
        [](char c) { return c == '%' || c == '&' || c == '/'; }, '@');
  }
  const size_t at = search.login.find('@');
  search.name.by_alias = config.Byte(offsets::kAliasLogin) != 0;
  search.name.mailbox = search.login;
  search.name.alias = search.login.substr(0, at);
  search.name.domain =
      at == std::string::npos ? context.domains.NameAt(0) : search.login.substr(at + 1);

  const std::vector<int> passes = PlanPasses(search, at != std::string::npos);
  const bool use_cache = config.Byte(offsets::kCachesOff) == 0 && !passes.empty();
  if ((use_cache && SearchCache(search, result)) || SearchStore(search, passes, result)) {
    RecordSuccess(context, result->record);
    return true;
  }
  if (!request.top_level) return false;
  if (search.name.by_alias) {
    DomainRecord domain;
    if (LoadDomainRecord(context, search.name.domain, &domain) &&
        domain[domain_offsets::kType] == kAliasDomain) {
      AuthRequest again = request;
      again.top_level = false;
      again.login = search.name.alias + "@" +
                    Trim(GetPString(domain.data() + domain_offsets::kValue, kDomainValueCapacity));
      if (AuthenticateAccount(context, again, result)) return true;
    }
  }
  Wait(kFailureWait);
  if (search.locked) Wait(kLockedWait);
  return false;
}

}  // namespace tarvelin
