#include "core/config/load_damage.h"

#include "core/config/configuration.h"
#include "core/context.h"
#include "platform/os_path.h"
#include "platform/file_system.h"
#include "schema/remote_record_layout.h"
#include "schema/server_config_layout.h"
#include "schema/user_record_layout.h"
#include "platform/cross_process_locks.h"
#include "store/domain_store.h"
#include "store/file/file_domain_store.h"
#include "store/file/remote_file.h"
#include "store/file/users_file.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

std::string Bytes(int64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

FileProblem Damaged(std::string file, std::string problem) {
  return {ProblemLevel::kDamaged, std::move(file), std::move(problem)};
}

// "3" or "1-8" or "2, 5, 9 and 4 more": positions for people, kept short.
std::string PositionsText(const std::vector<int>& positions) {
  constexpr size_t kShown = 5;
  bool run = positions.size() > 1;
  for (size_t i = 1; i < positions.size(); ++i) run = run && positions[i] == positions[i - 1] + 1;
  if (run) return std::to_string(positions.front()) + "-" + std::to_string(positions.back());
  std::string text;
  for (size_t i = 0; i < positions.size() && i < kShown; ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(positions[i]);
  }
  if (positions.size() > kShown) text += " and " + std::to_string(positions.size() - kShown) + " more";
  return text;
}

// settings.cfg and the domain list as loaded.
std::vector<FileProblem> ListDamage(const Context& context) {
  std::vector<FileProblem> found;
  if (std::optional<FileProblem> settings = SettingsFileDamage(context)) {
    found.push_back(std::move(*settings));
  }
  for (FileProblem& problem : DomainListDamage(context)) found.push_back(std::move(problem));
  return found;
}

}  // namespace

std::optional<FileProblem> SettingsFileDamage(const Context& context) {
  const std::string path = context.api.config_path + kSettingsFileName;
  const int64_t size = FileSize(context.env(), path);
  if (size < 0 || size == kServerConfigSize) return std::nullopt;
  if (size < kServerConfigSize) {
    return Damaged(path, "holds " + Bytes(size) + ", not " + Bytes(kServerConfigSize) +
                             ": the settings past byte " + std::to_string(size) +
                             " read as their built-in values");
  }
  return Damaged(path, "holds " + Bytes(size) + ", not " + Bytes(kServerConfigSize) +
                           ": the " + Bytes(size - kServerConfigSize) +
                           " past the record are not read, and a save drops them");
}

std::vector<FileProblem> DomainListDamage(const Context& context) {
  std::vector<FileProblem> found;
  const DomainStore& domains = context.domains();
  const int count = domains.Count();
  const std::string path = context.api.config_path + kDomainsFileName;
  const int64_t size = FileSize(context.env(), path);
  const int64_t needed = static_cast<int64_t>(count) * kDomainEntrySize;
  if (size >= 0 && size != needed) {
    std::string problem = "holds " + Bytes(size) + ", but the list of " + std::to_string(count) +
                          (count == 1 ? " domain" : " domains") + " takes " + Bytes(needed);
    if (size < needed) {
      problem += ": the entries past byte " + std::to_string(size) + " read as blank domains";
    } else if (size % kDomainEntrySize != 0 && size / kDomainEntrySize == count) {
      problem += ": a torn entry of " + Bytes(size % kDomainEntrySize) + " at its end is not read";
    } else {
      problem += " (settings.cfg counts the domains): the " +
                 Bytes(size - needed) + " after them are not read, and a save drops them";
    }
    found.push_back(Damaged(path, std::move(problem)));
  }
  std::vector<int> blank;
  for (int position = 0; position < count; ++position) {
    if (domains.NameAt(position).empty()) blank.push_back(position);
  }
  if (!blank.empty()) {
    found.push_back(Damaged(path, "the list holds " + std::to_string(blank.size()) +
                                      (blank.size() == 1 ? " domain" : " domains") +
                                      " without a name, at " +
                                      (blank.size() == 1 ? "position " : "positions ") +
                                      PositionsText(blank)));
  }
  return found;
}

std::optional<FileProblem> TornRecordFile(Env& env, const std::string& path, int record_size,
                                          std::string_view records) {
  const int64_t size = FileSize(env, path);
  if (size <= 0 || size % record_size == 0) return std::nullopt;
  return Damaged(path, "holds " + Bytes(size) + ", no whole number of " + Bytes(record_size) +
                           " " + std::string(records) + ": a torn record of " +
                           Bytes(size % record_size) + " at its end is not read");
}

std::vector<FileProblem> SettledListDamage(Context& context) {
  std::vector<FileProblem> found = ListDamage(context);
  if (found.empty() || !FileExists(context.env(), LockFileOf(context.api.config_path))) {
    return found;
  }
  const Result<CrossProcessLocks::Held> held =
      context.file_locks().Acquire(LockFileOf(context.api.config_path), kSettingsLock);
  if (!held.ok()) return found;
  LoadConfiguration(context, /*must_exist=*/false);
  return ListDamage(context);
}

std::optional<FileProblem> SettledTornRecordFile(const Context& context, const std::string& path,
                                                 int record_size, std::string_view records,
                                                 std::string_view lock) {
  Env& env = context.env();
  std::optional<FileProblem> torn = TornRecordFile(env, path, record_size, records);
  if (!torn || !FileExists(env, LockFileOf(context.api.config_path))) return torn;
  const Result<CrossProcessLocks::Held> held =
      context.file_locks().Acquire(LockFileOf(context.api.config_path), lock);
  if (!held.ok()) return torn;
  return TornRecordFile(env, path, record_size, records);
}

LoadDamageFound LoadDamage(Context& context) {
  LoadDamageFound found{SettledListDamage(context), {}};
  const std::string& config = context.api.config_path;
  if (std::optional<FileProblem> remote =
          SettledTornRecordFile(context, RemoteFilePath(config), kRemoteRecordSize,
                                "remote account records", kRemoteLock)) {
    found.records.push_back(std::move(*remote));
  }
  const DomainStore& domains = context.domains();
  for (int position = 0; position < domains.Count(); ++position) {
    const std::string name = domains.NameAt(position);
    if (!DomainStore::IsFolderName(name)) continue;
    if (std::optional<FileProblem> users = SettledTornRecordFile(
            context, UsersFilePath(config + name + kPathSeparator), kUserRecordSize,
            "account records", AccountsLockOf(name))) {
      found.records.push_back(std::move(*users));
    }
  }
  return found;
}

}  // namespace tarvelin
