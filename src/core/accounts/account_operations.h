// The account operations of the API: listing and locating a domain's
// accounts, loading one, and saving, adding and deleting accounts with
// their checks and follow-ups (account_writer.h). A domain is named as
// callers write it and must resolve strictly; accounts are addressed by
// position.
//
// Several programs change a domain's accounts at once. AddAccount,
// SaveAccount and DeleteAccount each hold the domain's lock
// (AccountStore::LockDomain) from their first check to their last
// follow-up, so no check is undone by another writer before the write.
// A position, though, may have moved between a caller's load and its save
// or delete: a caller that says which account it loaded there
// (AccountIdentity of that record) has the operation refused, with
// nothing changed, when the position now holds another account.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "schema/user_record.h"
#include "store/store_lock.h"

namespace tarvelin {

class Context;

// The stored name of the domain `name` names (cut to 255 characters,
// compared without regard to case); NotFound when it does not resolve.
Result<std::string> ResolveDomainName(const Context& context, std::string_view name);

// Each account's primary alias (its alias list up to the first ";"), in
// position order.
std::vector<std::string> PrimaryAliases(const Context& context, std::string_view domain);

// The account at `position`; a mailing list whose list-server flag is set
// comes out as type 6. NotFound for a position without an account.
Result<UserRecord> LoadAccount(const Context& context, std::string_view domain, int position);

// Which account a record is, for a later save or delete at its position:
// its primary alias, letter case ignored.
std::string AccountIdentity(const UserRecord& record);

// Holds the domain's accounts for a caller's own step of load, change and
// save: no other thread or program writes them until the lock goes, so a
// change made on a loaded record loses no one else's. The operations below
// take the lock again inside.
Result<std::unique_ptr<StoreLock>> HoldAccounts(const Context& context, std::string_view domain);

// Adds `record` as a new account: every alias must be free; a user
// account's empty Mailbox becomes its primary alias, an empty MailboxPath
// the default path, and the path ends with a separator; a record of type 6
// gets the list-server flag. The new position. AlreadyExists for an alias
// another account has; InvalidArgument for an empty or invalid alias list
// or an invalid mailbox name; Refused for a mailbox name and password that
// make logins ambiguous and for a password the policy (variable 155)
// refuses; the store's failure, naming users.cfg, when it could not be
// written.
Result<int> AddAccount(Context& context, std::string_view domain, UserRecord record,
                       std::string_view actor);

// Replaces the account at `position` with the checks of AddAccount for the
// aliases the record gains and for a changed login; NotFound for a
// position without an account. With `loaded` (the AccountIdentity of the
// record the caller loaded there) the save goes ahead only while the
// account at the position is that one or the one `record` is; otherwise
// NotFound, nothing written: the account moved or went meanwhile.
Status SaveAccount(Context& context, std::string_view domain, int position, UserRecord record,
                   std::string_view actor,
                   const std::optional<std::string>& loaded = std::nullopt);

// Removes the account at `position`; ok, changing nothing, for a position
// at or beyond the end. The mail folder of a removed user account goes
// after the record, where mail_folder_removal.h allows it. InvalidArgument
// for a negative position, NotFound for a domain without an account store,
// the store's failure for a rewrite that did not happen. With `loaded`,
// NotFound, nothing removed, unless the account at the position is still
// the one the caller loaded (a position at or beyond the end included).
Status DeleteAccount(Context& context, std::string_view domain, int position,
                     std::string_view actor,
                     const std::optional<std::string>& loaded = std::nullopt);

}  // namespace tarvelin
