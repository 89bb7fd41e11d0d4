// The configuration files: there, readable, and of a size that holds whole
// records.
#include <cerrno>
#include <cstring>
#include <set>

#include "core/config/configuration.h"
#include "core/config/load_damage.h"
#include "core/context.h"
#include "jobs/check/check_steps.h"
#include "platform/os_path.h"
#include "schema/domain_record_layout.h"
#include "schema/remote_record_layout.h"
#include "schema/user_record_layout.h"
#include "store/domain_store.h"
#include "store/file/remote_file.h"
#include "store/file/users_file.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

constexpr char kDomainFileName[] = "domain.cfg";

void Damaged(const ProblemReport& report, const std::string& file, std::string problem) {
  report({ProblemLevel::kDamaged, file, std::move(problem)});
}

std::string CauseOf(const Status& status) {
  return status.sys_errno() != 0 ? std::strerror(status.sys_errno()) : status.message();
}

void Report(const std::optional<FileProblem>& problem, const ProblemReport& report) {
  if (problem) report(*problem);
}

bool Missing(Env& env, const std::string& path) {
  const Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
  return !info.ok() && info.status().sys_errno() == ENOENT;
}

void CheckDomainFiles(const Context& context, const std::string& name,
                      const ProblemReport& report) {
  Env& env = context.env();
  const std::string folder = context.api.config_path + name + kPathSeparator;
  const Result<PathInfo> info = env.GetPathInfo(context.api.config_path + name, Links::kFollow);
  if (info.ok() && info->kind != FileKind::kDirectory) {
    Damaged(report, folder, "the configuration folder of the listed domain " + name +
                                " is no folder: its settings and accounts cannot be read");
    return;
  }
  // A domain listed without a record of its own (as a fresh installation
  // lists them) has no settings and no accounts yet: worth a word, no
  // damage the check can tell.
  if (!info.ok() && info.status().sys_errno() != ENOENT) {
    Damaged(report, folder, "cannot be examined: " + CauseOf(info.status()));
    return;
  }
  if (!info.ok()) {
    report({ProblemLevel::kWarning, folder,
            "the listed domain " + name + " has no configuration folder: no settings record "
            "(domain.cfg) and no accounts"});
    return;
  }
  const std::string record = folder + kDomainFileName;
  if (Missing(env, record)) {
    report({ProblemLevel::kWarning, record,
            "is missing: the listed domain " + name + " has no settings record"});
  } else if (CheckReadable(env, record, /*required=*/true, report)) {
    const Result<PathInfo> stat = env.GetPathInfo(record, Links::kFollow);
    if (stat.ok() && stat->size != kDomainRecordSize) {
      Damaged(report, record,
              "holds " + std::to_string(stat->size) + " bytes, not " +
                  std::to_string(kDomainRecordSize) +
                  (stat->size < kDomainRecordSize ? ": the settings past them read as zero"
                                                  : ": the bytes past the record are not read"));
    }
  }
  const std::string users = UsersFilePath(folder);
  if (CheckReadable(env, users, /*required=*/false, report)) {
    Report(SettledTornRecordFile(context, users, kUserRecordSize, "account records",
                                 AccountsLockOf(name)),
           report);
  }
}

}  // namespace

bool CheckReadable(Env& env, const std::string& path, bool required, const ProblemReport& report) {
  const Result<PathInfo> info = env.GetPathInfo(path, Links::kFollow);
  if (!info.ok()) {
    if (info.status().sys_errno() != ENOENT) {
      Damaged(report, path, "cannot be examined: " + CauseOf(info.status()));
    } else if (required) {
      Damaged(report, path, "is missing");
    }
    return false;
  }
  if (info->kind != FileKind::kRegular) {
    Damaged(report, path, "is no regular file");
    return false;
  }
  std::string first;
  const Status read = env.ReadFilePrefix(path, 1, &first);
  if (!read.ok()) {
    Damaged(report, path, "cannot be read: " + CauseOf(read));
    return false;
  }
  return true;
}

void CheckConfigurationFiles(Context& context, const ProblemReport& report) {
  Env& env = context.env();
  const std::string& config = context.api.config_path;
  const std::string settings = config + kSettingsFileName;
  const std::string domains_cfg = config + kDomainsFileName;
  // A file that cannot be read is reported as such, not by its size.
  std::set<std::string> unreadable;
  const ProblemReport noting = [&](const FileProblem& problem) {
    unreadable.insert(problem.file);
    report(problem);
  };
  CheckReadable(env, settings, /*required=*/true, noting);
  CheckReadable(env, domains_cfg, /*required=*/false, noting);
  for (const FileProblem& problem : SettledListDamage(context)) {
    if (!unreadable.contains(problem.file)) report(problem);
  }
  const int count = context.domains().Count();
  const std::string remote = RemoteFilePath(config);
  if (CheckReadable(env, remote, /*required=*/false, report)) {
    Report(SettledTornRecordFile(context, remote, kRemoteRecordSize, "remote account records",
                                 kRemoteLock),
           report);
  }
  for (int position = 0; position < count; ++position) {
    const std::string name = context.domains().NameAt(position);
    // A blank name was reported with the list.
    if (name.empty()) continue;
    if (!DomainStore::IsFolderName(name)) {
      Damaged(report, domains_cfg,
              "the domain \"" + name + "\" at position " + std::to_string(position) +
                  " cannot name a folder");
      continue;
    }
    CheckDomainFiles(context, name, report);
  }
}

}  // namespace tarvelin
