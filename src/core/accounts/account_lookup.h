// The accounts of every domain as the operations reach them: count, load
// and write by position, removal, and the lookups by alias and by address,
// over the installation's account store (store/account_store.h), which
// answers lookups exactly as a scan in position order would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "schema/user_record.h"
#include "foundation/list_match.h"

namespace tarvelin {

class Context;

// ConfigPath + the lower-case domain name + a separator; empty for a name
// that cannot be one folder name (DomainStore::IsFolderName), which every
// operation here refuses.
std::string DomainFolder(const Context& context, std::string_view domain);
// Reads groups.dat and member files: relative names from ConfigPath.
GroupFileReader GroupFilesOf(const Context& context);

int CountAccounts(const Context& context, std::string_view domain);
// The number of records; `record` is zero for a position outside the file.
int LoadAccountAt(const Context& context, std::string_view domain, int position,
                  UserRecord* record);

// The first position whose alias list matches `alias`, or -1.
int PositionOfAlias(const Context& context, std::string_view domain, std::string_view alias);
// True when no account of the domain has any alias of `aliases`.
bool AliasAvailable(const Context& context, std::string_view domain, std::string_view aliases);

struct FoundAccount {
  UserRecord record{};
  // The domain the address resolved to; once found, the domain whose
  // users.cfg holds the record.
  std::string domain;
  int position = -1;
};

// The account an address reaches: "Name <local@domain>" or local@domain
// (a bare local part is at the primary domain), the domain resolved through
// address literals and subdomains.dat. A quoted local part may carry a
// folder after the first ":" ("\"john:work\"@example.org"): the record then
// hands out folder delivery to it where the account allows. Without a match
// the search may go on in every domain (variable 88) and, with
// `follow_domain_alias`, once in the domain that an alias domain stands
// for.
bool FindAccount(Context& context, std::string_view address, bool follow_domain_alias,
                 FoundAccount* found);

// AccountStore::Write / Remove, the password stored as variable 205 says.
Status WriteAccountAt(const Context& context, std::string_view domain, const UserRecord& record,
                      int* position);
Status RemoveAccountAt(const Context& context, std::string_view domain, int position,
                       UserRecord* removed, std::vector<UserRecord>* groups = nullptr);

}  // namespace tarvelin
