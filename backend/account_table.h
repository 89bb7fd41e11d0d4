// The accounts of the current database: each domain's accounts in a stable
// order by 0-based position, as users.cfg keeps them. An add appends at the
// count; a removal moves every later account of the domain down one. Each
// write refreshes the columns and alias rows the lookups use, in the same
// transaction, so a lookup never sees a record and an alias that disagree.
//
// A domain the database does not know reads as a domain without accounts;
// writing to it is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/sql_connection.h"
#include "foundation/status.h"
#include "schema/user_record.h"

namespace tarvelin::backend {

// The record bytes as stored, cut or zero-padded to a record.
UserRecord RecordFromBytes(std::string_view bytes);

Result<int32_t> CountAccounts(SqlConnection& connection, std::string_view domain);
// The account at `position`; nullopt when there is none there.
Result<std::optional<UserRecord>> AccountAt(SqlConnection& connection, std::string_view domain,
                                            int32_t position);
// The first position whose alias list holds one of the items of `alias`
// (trimmed, without regard to case), or -1.
Result<int32_t> PositionOfAlias(SqlConnection& connection, std::string_view domain,
                                std::string_view alias);
// Replaces the account at *position, or appends when *position is -1 or the
// count (and sets *position). Refuses a record without aliases and a
// position past the end.
Status SaveAccount(SqlConnection& connection, std::string_view domain, const UserRecord& record,
                   int32_t* position);
Status RemoveAccount(SqlConnection& connection, std::string_view domain, int32_t position);

struct FoundAccount {
  UserRecord record;
  std::string domain;
  int32_t position = 0;
};

// The account "local@domain" names by its alias list (NotFound when none).
Result<FoundAccount> LocalAccount(SqlConnection& connection, std::string_view address);
// The first account, in list order of the domains then by position, whose
// display name and note text holds `text` (bytes compared as they are).
Result<FoundAccount> AccountByFullName(SqlConnection& connection, std::string_view text);
// True when no account of the domain has any item of the ";"-separated
// aliases.
Result<bool> AliasesFree(SqlConnection& connection, std::string_view domain,
                         std::string_view aliases);
// True when a user account (type 0) with this mailbox name (without regard
// to case) and exactly this password is in another domain, or in `domain`
// with an alias list that does not hold any of `aliases`. With `binding`,
// only the domains whose bound addresses match those of `domain` are
// looked at (none when `domain` is bound to nothing: then all are).
Result<bool> MailboxConflict(SqlConnection& connection, std::string_view mailbox,
                             std::string_view password, std::string_view aliases,
                             std::string_view domain, bool binding);

}  // namespace tarvelin::backend
