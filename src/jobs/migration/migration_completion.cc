#include "jobs/migration/migration_completion.h"

#include <cctype>
#include <cstdio>

#include "core/accounts/account_defaults.h"
#include "core/accounts/account_lookup.h"
#include "core/accounts/account_writer.h"
#include "core/accounts/default_mailbox_path.h"
#include "core/accounts/mail_folder.h"
#include "core/config/config_variables.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "foundation/text.h"
#include "jobs/migration/migration_log.h"
#include "jobs/migration/migration_store.h"
#include "mailstore/message_file_name.h"
#include "platform/remove_tree.h"
#include "schema/user_record_offsets.h"

namespace tarvelin {

namespace {

constexpr int32_t kAliasLogins = 115;
constexpr int32_t kLoginSeparators = 121;
constexpr int32_t kTargetFromQueue = 372;
constexpr int kNameCapacity = 254;
constexpr std::string_view kUidlName = "migrateuidl.dat";
constexpr std::string_view kPop3Downloaded = "p.tmp";

std::string WithSeparator(std::string path) {
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path;
}

std::string DomainOfAddress(std::string_view address) {
  const size_t at = address.find('@');
  return at == std::string_view::npos ? std::string() : std::string(address.substr(at + 1));
}

double NowAsDateTime(Env& env) {
  const CivilDateTime now = env.NowLocal();
  double date = 0;
  double time = 0;
  EncodeDate(now.date, &date);
  EncodeTime(now.time, &time);
  return date + time;
}

// Moves `from` (a file or folder) to `to`; a folder whose name is taken
// there is merged entry by entry.
Status MoveInto(Env& env, const std::string& from, const std::string& to) {
  Status moved = env.RenameFile(from, to, false);
  if (moved.ok() || !moved.Is(StatusCode::kAlreadyExists)) return moved;
  Result<PathInfo> info = env.GetPathInfo(from, Links::kNoFollow);
  if (!info.ok()) return info.status();
  if (info->kind != FileKind::kDirectory) return moved;
  std::vector<DirectoryEntry> entries;
  if (Status s = env.ListDirectory(from, &entries); !s.ok()) return s;
  for (const DirectoryEntry& entry : entries) {
    if (Status s = MoveInto(env, from + "/" + entry.name, to + "/" + entry.name); !s.ok()) {
      return s;
    }
  }
  return Status::Ok();
}

// A POP3 message file under a name nobody holds in `folder`.
Status MoveUnderNewName(Env& env, const std::string& from, const std::string& folder) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "%08x%08x%s",
                  static_cast<uint32_t>(env.NowUnixNanos() & 0xffffffffu), env.RandomUint32(),
                  std::string(kPop3Extension).c_str());
    Status moved = env.RenameFile(from, folder + name, false);
    if (!moved.Is(StatusCode::kAlreadyExists)) return moved;
  }
  return Status::AlreadyExists("no free message name in " + folder);
}

Status MoveMessages(Env& env, const CompletionInput& input, const std::string& mail_folder) {
  const std::string download = WithSeparator(input.download_folder);
  std::vector<DirectoryEntry> entries;
  if (Status s = env.ListDirectory(download, &entries); !s.ok()) return s;
  for (const DirectoryEntry& entry : entries) {
    Status moved;
    if (input.protocol == MigrationProtocol::kImap) {
      moved = MoveInto(env, download + entry.name, mail_folder + entry.name);
    } else if (!entry.is_directory && entry.name.ends_with(kPop3Downloaded)) {
      moved = MoveUnderNewName(env, download + entry.name, mail_folder);
    }
    if (!moved.ok()) return moved;
  }
  return RemoveTree(env, input.download_folder);
}

UserRecord NewAccountRecord(Context& context, const std::string& domain, const std::string& alias,
                            const CompletionInput& input) {
  UserRecord record{};
  SetUserDefaultsOfDomain(context, domain, record.data(), 0);
  std::string name = Trim(alias.substr(0, alias.find(';')));
  if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  PutPString(record.data() + user_offsets::kNameAndNote, kNameCapacity, name);
  PutPString(record.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity, alias);
  PutPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity,
             input.password);
  PutPString(record.data() + user_offsets::kMailbox, user_offsets::kMailboxPathCapacity,
             input.login);
  PutPString(record.data() + user_offsets::kMailboxPath, user_offsets::kMailboxPathCapacity,
             DefaultMailboxPath(context, domain, alias));
  record[user_offsets::kMailboxMode] = input.protocol == MigrationProtocol::kImap ? 1 : 0;
  return record;
}

Status RecordNotCreated(Context& context, const CompletionInput& input, const std::string& target,
                        MigrationStatusCounters& counters) {
  ++counters.accounts_not_created;
  const std::string error = "Error, '" + target + "' cannot be created, alias or mailbox violation";
  (void)AppendMigrationLog(context, error);
  return AppendMigrationError(
      context, error + "\r\nYou have to create and trim this account manually.\r\n"
                       "Downloaded messages for the account can be found in " +
                   input.download_folder + "\r\n");
}

}  // namespace

std::string MigrationTargetOf(Context& context, const std::string& login,
                              const std::string& password) {
  std::string name = login;
  std::string domain;
  if (ConfigSettingNumber(context, kAliasLogins) != 0) {
    if (ConfigSettingNumber(context, kLoginSeparators) != 0) {
      for (char& c : name) {
        if (c == '%' || c == '&' || c == '/') c = '@';
      }
    }
    if (const size_t at = name.find('@'); at != std::string::npos) {
      domain = name.substr(at + 1);
      name = Trim(name.substr(0, at));
    }
  }
  if (ConfigSettingNumber(context, kTargetFromQueue) != 0) {
    Result<MigrationRecord> queued = FindMigrationRecord(context, login, password);
    if (queued.ok()) {
      const std::string queued_domain = ToLower(DomainOfAddress(queued->target()));
      if (!queued_domain.empty() && FindDomainPosition(context, queued_domain) >= 0) {
        domain = queued_domain;
      }
    }
  }
  if (domain.empty()) {
    const std::vector<std::string> names = DomainNames(context);
    if (!names.empty()) domain = names.front();
  }
  // Whatever the alias mode (variable 370), nothing before this step gives
  // an alias, so it is always the login name.
  std::string alias = Trim(name.substr(0, name.find('@')));
  if (alias.ends_with(';')) alias.pop_back();
  return alias + "@" + ToLower(domain);
}

Result<CompletionOutcome> CompleteMigratedAccount(Context& context, const CompletionInput& input,
                                                  MigrationStatusCounters& counters) {
  Env& env = context.env();
  const bool migrate = input.pass == MigrationPass::kMigrate;
  CompletionOutcome outcome;
  outcome.target = migrate ? MigrationTargetOf(context, input.login, input.password)
                           : input.stored_target;
  const size_t at = outcome.target.rfind('@');
  const std::string alias = outcome.target.substr(0, at);
  const std::string domain = at == std::string::npos ? "" : outcome.target.substr(at + 1);

  Result<MigrationRecord> queued = FindMigrationRecord(context, input.login, input.password);
  if (queued.ok()) {
    queued->set_state(migrate ? kMigrationQueued : kMigrationFinished);
    queued->set_target(outcome.target);
    (void)UpdateMigrationRecord(context, *queued);
  }
  const std::string count = std::to_string(input.message_count);
  (void)AppendMigrationLog(context, migrate ? "'" + outcome.target + "' migrated, " + count +
                                                  " messages"
                                            : "'" + outcome.target + "' migration finished, " +
                                                  count + " additional messages");
  if (!migrate) {
    Status removed = env.RemoveFile(input.uidl_file);
    if (!removed.ok() && !removed.Is(StatusCode::kNotFound)) return removed;
    return outcome;
  }

  const UserRecord record = NewAccountRecord(context, domain, alias, input);
  int position = -1;
  if (domain.empty() || alias.empty() || !AliasAvailable(context, domain, alias) ||
      !WriteAccount(context, domain, record, &position, "").ok()) {
    if (Status s = RecordNotCreated(context, input, outcome.target, counters); !s.ok()) return s;
    return outcome;
  }
  outcome.created = true;
  ++counters.accounts_created;
  ++counters.accounts_created_8;
  ++counters.accounts_created_12;
  counters.last_created = NowAsDateTime(env);
  outcome.mail_folder = AccountMailFolder(context, record);
  if (outcome.mail_folder.empty()) return Status::InvalidArgument("the account has no mail folder");
  if (Status s = env.CreateDirectories(outcome.mail_folder); !s.ok()) return s;
  if (Status s = env.RenameFile(input.uidl_file, outcome.mail_folder + std::string(kUidlName), true);
      !s.ok() && !s.Is(StatusCode::kNotFound)) {
    return s;
  }
  if (Status s = MoveMessages(env, input, outcome.mail_folder); !s.ok()) return s;
  counters.messages_migrated += input.message_count;
  return outcome;
}

}  // namespace tarvelin
