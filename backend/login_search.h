// The login search: the accounts a login may name, for the caller to check
// the secret of one after the other.
//  - By mailbox: the user accounts (type 0) whose lower-cased mailbox name
//    is the login, over all domains in list order, then by position.
//  - By alias ("alias@domain"; without "@" the first domain of the list):
//    the accounts of that domain whose alias list holds the alias.
// The candidates are read when the search starts (a login names few).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backend/account_table.h"
#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

struct LoginSearch {
  std::vector<FoundAccount> candidates;
  size_t next = 0;
};

// The search, or null when there is nothing to search: an empty login, an
// alias login whose domain is unknown, or no candidate at all.
Result<std::unique_ptr<LoginSearch>> StartLoginSearch(SqlConnection& connection,
                                                      std::string_view login, bool alias_login);

// The handles given out and not yet freed: a handle is used or freed only
// when it is one of them. Used only under the library mutex.
void KeepLoginSearch(LoginSearch* search);
// The search of a handle; null for a handle this library did not give out
// or has freed already.
LoginSearch* LoginSearchOf(void* handle);
void FreeLoginSearch(void* handle);

}  // namespace tarvelin::backend
