#include "jobs/antispam/spam_index.h"

#include "core/accounts/account_lookup.h"
#include "core/accounts/account_operations.h"
#include "core/accounts/account_walk.h"
#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "foundation/text.h"
#include "schema/user_record.h"

namespace tarvelin {

namespace {

constexpr int kSmtpService = 0;
constexpr uint32_t kSpamIndexMessage = 1440;
constexpr int kIndexSpamSetting = 63;  // the flag at offset 764

bool Eligible(const UserRecord& record) {
  if (AccountTypeOf(record) != kUserAccount) return false;
  const UserField* flag = FindUserFieldById(kIndexSpamSetting);
  return flag != nullptr && record[flag->offset] != 0;
}

void IndexAccount(const Context& context, const UserRecord& record, SpamMessageIndexer& indexer,
                  SpamIndexTally* tally) {
  ++tally->accounts;
  const std::string folder = AccountMailFolder(context, record);
  if (folder.empty()) return;
  const bool pop3_only = record[user_offsets::kMailboxMode] == 0;
  indexer.IndexFolder(pop3_only ? folder : folder + "inbox/", 0, tally);
  indexer.IndexFolder(folder + "~spam/", 1, tally);
}

}  // namespace

std::string SpamIndexQueueFolder(const Context& context) {
  return context.api.config_path + "../spam/index/";
}

Status IndexAccountSpam(Context& context, std::string_view email, SpamIndexTally* tally) {
  const size_t at = email.find('@');
  std::string domain;
  if (at == std::string_view::npos) {
    const Result<std::string> first = DomainNameAt(context, 0);
    if (!first.ok()) return first.status();
    domain = *first;
  } else {
    domain = ToLower(email.substr(at + 1));
  }
  const std::string alias(email.substr(0, at));
  if (alias.empty() || domain.empty()) {
    return Status::NotFound("\"" + std::string(email) + "\" names no account");
  }
  const Result<std::string> name = ResolveDomainName(context, domain);
  if (!name.ok()) return name.status();
  const int position = PositionOfAlias(context, *name, alias);
  if (position < 0) return Status::NotFound("no account \"" + alias + "\" in " + *name);
  const Result<UserRecord> record = LoadAccount(context, *name, position);
  if (!record.ok()) return Status::NotFound(record.status().message());
  if (!Eligible(*record)) {
    return Status::NotFound("\"" + alias + "@" + *name + "\" is not set for antispam indexing");
  }
  SpamMessageIndexer indexer(context.env(), SpamIndexQueueFolder(context));
  IndexAccount(context, *record, indexer, tally);
  return Status::Ok();
}

Status IndexDomainSpam(Context& context, std::string_view domain, SpamIndexTally* tally,
                       const SpamIndexProgress& progress) {
  const Result<std::string> name = ResolveDomainName(context, domain);
  if (!name.ok()) return name.status();
  std::unique_ptr<AccountWalk> walk = AccountWalk::Start(context, *name, "");
  if (walk == nullptr) return Status::Ok();
  SpamMessageIndexer indexer(context.env(), SpamIndexQueueFolder(context));
  int done = 0;
  while (walk->Next()) {
    if (progress) progress(*name, PrimaryAliasOf(walk->record()), done, walk->count());
    ++done;
    if (Eligible(walk->record())) IndexAccount(context, walk->record(), indexer, tally);
  }
  return Status::Ok();
}

bool RequestSpamIndexing(const Context& context) {
  return context.Channel().SendServiceCommand(kSmtpService, kSpamIndexMessage, 0, 0,
                                              /*want_answer=*/false) == 1;
}

}  // namespace tarvelin
