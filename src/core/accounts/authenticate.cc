#include "core/accounts/authenticate.h"

#include <algorithm>
#include <vector>

#include "core/accounts/account_lookup.h"
#include "core/accounts/external_logon.h"
#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "core/domains/domain_records.h"
#include "foundation/bytes.h"
#include "foundation/secret_compare.h"
#include "foundation/text.h"
#include "mailstore/login_files.h"
#include "platform/local_now.h"
#include "schema/config_offsets.h"
#include "schema/domain_record_layout.h"
#include "schema/user_record_offsets.h"
#include "store/login_name.h"

namespace tarvelin {

namespace {

// ServerConfig fields of the login search.
constexpr int kCountFailures = 20433;  // variable 243
constexpr int kFailureLimit = 20436;   // variable 244
constexpr int kLockMinutes = 20440;    // variable 245

constexpr int kDomainNameMax = 127;
constexpr int kDomainValueCapacity = 62;
constexpr uint8_t kAliasDomain = 2;
constexpr int kFailureWait = 3;
constexpr int kLockedWait = 20;

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
  AuthRefusal refusal = AuthRefusal::kUnknownAccount;
};

void Refuse(Search& search, AuthRefusal why) { search.refusal = std::max(search.refusal, why); }

// The failure counting of one checked candidate.
void CountAttempt(Search& search, const UserRecord& record, bool matched) {
  const ServerConfig& config = search.context.config.record;
  if (config.Byte(kCountFailures) == 0 || search.locked) return;
  const int32_t limit = Signed(config, kFailureLimit);
  const std::string folder = AccountMailFolder(search.context, record);
  if (limit == 0 || folder.empty()) return;
  if (matched) {
    ClearLoginFailures(search.context.env(), folder);
    return;
  }
  const double now = LocalNowAsDateTime(search.context.env());
  LoginFailures failures;
  CountLoginFailure(search.context.env(), folder, now, &failures);
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
    return ExternalCheckAccepts(search.context.logon(), record, domain, request.secret);
  }
  return SecretAccepted(request.method, search.login, password, request.challenge, request.secret);
}

// The candidate check of one record (password plain) of one domain.
bool CandidatePasses(Search& search, const UserRecord& record, std::string_view domain) {
  if (AccountTypeOf(record) != kUserAccount) return false;
  if (!LoginNameMatches(search.name, record, domain, search.groups)) return false;
  const bool matched = SecretMatches(search, record, domain);
  CountAttempt(search, record, matched);
  if (!matched) {
    Refuse(search, search.locked ? AuthRefusal::kLocked : AuthRefusal::kWrongSecret);
    return false;
  }
  if (search.request.address.empty()) return true;
  const DomainStore& domains = search.context.domains();
  const std::string bound = domains.GetBinding(domains.FindPosition(domain, /*strict=*/true));
  if (bound.empty() || ListMatch(search.request.address, bound)) return true;
  Refuse(search, AuthRefusal::kAddressNotAllowed);
  return false;
}

LoginCheck CheckOf(Search& search) {
  return [&search](const UserRecord& record, std::string_view domain) {
    return CandidatePasses(search, record, domain);
  };
}

// The accounts of one domain.
bool SearchDomain(Search& search, const std::string& domain, AuthResult* result) {
  UserRecord found;
  if (!search.context.accounts().FindLogin(domain, search.name, search.groups, CheckOf(search),
                                           &found)) {
    return false;
  }
  result->record = found;
  result->domain = CutTo(domain, kDomainNameMax);
  return true;
}

bool SearchCache(Search& search, AuthResult* result) {
  UserRecord found;
  std::string domain;
  if (!search.context.accounts().FindCachedLogin(search.name, search.groups, CheckOf(search),
                                                 &found, &domain)) {
    return false;
  }
  result->record = found;
  result->domain = CutTo(domain, kDomainNameMax);
  return true;
}

// The domains of each pass: a position, or -1 for all of them.
std::vector<int> PlanPasses(const Search& search, bool has_at) {
  const Context& context = search.context;
  const bool alias_login = context.config.record.Byte(offsets::kAliasLogin) != 0;
  std::vector<int> passes{-1};
  if (has_at || alias_login) {
    const int position =
        has_at ? context.domains().FindPosition(search.name.domain, /*strict=*/true) : -1;
    if (!has_at || position < 0) {
      passes.clear();
    } else if (alias_login) {
      passes = {position};
    } else {
      passes = {position, -1};
    }
  }
  const std::string& address = search.request.address;
  if (context.domains().Count() > 0 && context.domains().BindingFlag(0)) {
    for (int position = 0; position < context.domains().Count(); ++position) {
      if (ListMatch(address, context.domains().GetBinding(position))) {
        passes = {position, -1};
        break;
      }
    }
  }
  return passes;
}

// The database's login search: db.so names the candidates, the candidate
// check here decides, as for the files.
bool SearchDatabase(Search& search, AuthResult* result) {
  const BackendLibrary& backend = search.context.backend();
  BackendLibrary::Hold hold(backend);
  void* handle = backend.AuthenticateUser(search.login, search.name.by_alias);
  if (handle == nullptr) return false;
  UserRecord record{};
  std::string domain;
  int32_t index = -1;
  bool found = false;
  for (bool more = false; backend.AuthenticateNext(handle, more, record.data(), &domain, &index);
       more = true) {
    if (CandidatePasses(search, record, domain)) {
      found = true;
      break;
    }
  }
  backend.AuthenticateDone(handle, found, index, record.data(), domain);
  if (!found) return false;
  result->record = record;
  result->domain = CutTo(domain, kDomainNameMax);
  return true;
}

bool SearchStore(Search& search, const std::vector<int>& passes, AuthResult* result) {
  // No pass planned (a login at an unknown domain): nothing to search in
  // either storage.
  if (passes.empty()) return false;
  if (search.context.config.record.Byte(offsets::kStorageMode) == 2) {
    return search.context.database_storage() && SearchDatabase(search, result);
  }
  const DomainStore& domains = search.context.domains();
  for (int pass : passes) {
    const int first = pass < 0 ? 0 : pass;
    const int last = pass < 0 ? domains.Count() - 1 : pass;
    for (int position = first; position <= last; ++position) {
      if (SearchDomain(search, domains.NameAt(position), result)) return true;
    }
  }
  return false;
}

// After a good login: the account's activity for the inactivity limit.
void RecordSuccess(const Context& context, const UserRecord& record) {
  if ((GetLE(record.data() + user_offsets::kInactivity, 4) >> 16) == 0) return;
  const std::string folder = AccountMailFolder(context, record);
  if (!folder.empty()) TouchActivity(context.env(), folder);
}

}  // namespace

bool AuthenticateAccount(Context& context, const AuthRequest& request, AuthResult* result,
                         AuthRefusal* why) {
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
      at == std::string::npos ? context.domains().NameAt(0) : search.login.substr(at + 1);

  const std::vector<int> passes = PlanPasses(search, at != std::string::npos);
  const bool use_cache = config.Byte(offsets::kCachesOff) == 0 && !passes.empty();
  if ((use_cache && SearchCache(search, result)) || SearchStore(search, passes, result)) {
    RecordSuccess(context, result->record);
    return true;
  }
  if (!request.top_level) {
    if (why != nullptr) *why = search.refusal;
    return false;
  }
  if (search.name.by_alias) {
    DomainRecord domain;
    if (LoadDomainRecord(context, search.name.domain, &domain) &&
        domain[domain_offsets::kType] == kAliasDomain) {
      AuthRequest again = request;
      again.top_level = false;
      again.login = search.name.alias + "@" +
                    Trim(GetPString(domain.data() + domain_offsets::kValue, kDomainValueCapacity));
      AuthRefusal retried = AuthRefusal::kNone;
      if (AuthenticateAccount(context, again, result, &retried)) return true;
      Refuse(search, retried);
    }
  }
  if (why != nullptr) *why = search.refusal;
  context.AuthWait(kFailureWait);
  if (search.locked) context.AuthWait(kLockedWait);
  return false;
}

}  // namespace tarvelin
