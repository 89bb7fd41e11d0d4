// Accounts that get in each other's way: one alias answered by two
// accounts of a domain, one mail folder held by two user accounts.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <unordered_map>

#include "core/accounts/mail_folder.h"
#include "core/context.h"
#include "foundation/list_match.h"
#include "jobs/check/check_steps.h"
#include "platform/os_path.h"
#include "store/account_store.h"
#include "store/domain_store.h"
#include "store/file/users_file.h"

namespace tarvelin {

namespace {

std::string UsersFileOf(const Context& context, const std::string& domain) {
  return UsersFilePath(context.api.config_path + domain + kPathSeparator);
}

std::string Account(const std::string& primary_alias, int position) {
  return "'" + primary_alias + "' (position " + std::to_string(position) + ")";
}

// The listed domains that can hold accounts.
std::vector<std::string> DomainNames(const Context& context) {
  std::vector<std::string> names;
  for (int position = 0; position < context.domains().Count(); ++position) {
    std::string name = context.domains().NameAt(position);
    if (DomainStore::IsFolderName(name)) names.push_back(std::move(name));
  }
  return names;
}

// Walks the accounts of `domain`, one record at a time; a walk cut short by
// a failed read is reported as damage.
void WalkAccounts(const Context& context, const std::string& domain, const ProblemReport& report,
                  const std::function<void(int position, const UserRecord& record)>& visit) {
  std::unique_ptr<AccountIterator> walk = context.accounts().NewIterator(domain);
  if (walk == nullptr) return;
  UserRecord record;
  for (; walk->Valid(); walk->Next()) {
    walk->ReadRecord(&record);
    visit(walk->position(), record);
  }
  if (!walk->status().ok()) {
    report({ProblemLevel::kDamaged, UsersFileOf(context, domain),
            "cannot be read past account " + std::to_string(walk->position()) + ": " +
                walk->status().message()});
  }
}

// The folder as compared: with "." and ".." parts and doubled separators
// resolved.
std::string Normal(const std::string& folder) {
  return std::filesystem::path(folder).lexically_normal().string();
}

}  // namespace

void CheckDuplicateAliases(const Context& context, const ProblemReport& report) {
  AccountStore& accounts = context.accounts();
  for (const std::string& domain : DomainNames(context)) {
    WalkAccounts(context, domain, report, [&](int position, const UserRecord& record) {
      for (const std::string& alias : ListItems(AliasListOf(record))) {
        // Group items name members, not addresses of their own.
        if (IsGroupItem(alias)) continue;
        // The first account the alias reaches; an earlier one shadows this.
        const int first = accounts.PositionOfAlias(domain, alias);
        if (first < 0 || first >= position) continue;
        UserRecord earlier;
        accounts.Load(domain, first, &earlier);
        report({ProblemLevel::kError, UsersFileOf(context, domain),
                "accounts " + Account(PrimaryAliasOf(earlier), first) + " and " +
                    Account(PrimaryAliasOf(record), position) + " both answer the alias '" +
                    alias + "' of " + domain + "; its mail goes to the first"});
      }
    });
  }
}

void CheckSharedMailFolders(const Context& context, const CheckOptions& options,
                            const ProblemReport& report) {
  const std::vector<std::string> domains = DomainNames(context);
  int64_t accounts = 0;
  for (const std::string& domain : domains) accounts += context.accounts().Count(domain);
  const int64_t per_pass = std::max<int64_t>(options.folders_per_pass, 1);
  const uint64_t passes = static_cast<uint64_t>(std::max<int64_t>((accounts + per_pass - 1) / per_pass, 1));

  struct Holder {
    size_t domain;
    int position;
  };
  for (uint64_t pass = 0; pass < passes; ++pass) {
    // By hash of the folder: a pass holds one share of the folders.
    std::unordered_map<size_t, Holder> seen;
    for (size_t d = 0; d < domains.size(); ++d) {
      // Damage met while walking was reported by the alias check.
      WalkAccounts(context, domains[d], [](const FileProblem&) {},
                   [&](int position, const UserRecord& record) {
        if (AccountTypeOf(record) != kUserAccount) return;
        const std::string folder = AccountMailFolder(context, record);
        if (folder.empty()) return;
        const std::string normal = Normal(folder);
        const size_t hash = std::hash<std::string>{}(normal);
        if (hash % passes != pass) return;
        const auto [held, first] = seen.emplace(hash, Holder{d, position});
        if (first) return;
        UserRecord other;
        context.accounts().Load(domains[held->second.domain], held->second.position, &other);
        // Another folder with the same hash: not shared.
        if (Normal(AccountMailFolder(context, other)) != normal) return;
        report({ProblemLevel::kError, UsersFileOf(context, domains[d]),
                "account " + Account(PrimaryAliasOf(record), position) + " of " + domains[d] +
                    " has the mail folder " + normal + " of account " +
                    Account(PrimaryAliasOf(other), held->second.position) + " of " +
                    domains[held->second.domain]});
      });
    }
  }
}

}  // namespace tarvelin
