// AccountStore: the accounts of every domain, addressed by domain name and
// 0-based position, as the rest of the library reaches them: count, load,
// write and remove by position, lookups by alias, by mailbox name and by
// login, and iterators over one version of a domain's accounts. Every
// access to stored accounts goes through this interface; store/file/ keeps
// them in each domain's users.cfg.
//
// Records handed out carry the password in plain text; Write stores it in
// the form the configuration asks for. Lookups answer exactly as a scan in
// position order with ListMatch (groups.dat read at the time of the test)
// would, and never serve a stale answer. Implementations are safe for use
// by several threads.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/list_match.h"
#include "foundation/status.h"
#include "schema/user_record.h"
#include "store/login_name.h"
#include "store/store_lock.h"

namespace tarvelin {

// A walk over the accounts of one domain as they were when it began,
// whatever is written meanwhile.
class AccountIterator {
 public:
  virtual ~AccountIterator() = default;

  // Accounts in the version walked.
  virtual int count() const = 0;
  // Positions the iterator; at or past count() it is not Valid.
  virtual void Seek(int position) = 0;
  virtual bool Valid() const = 0;
  virtual void Next() = 0;
  virtual int position() const = 0;

  // Cheap looks at the current account that do not decode the whole record.
  virtual uint8_t account_type() const = 0;
  // Whether its mailbox name equals `lower_name` (compared ignoring case).
  virtual bool MailboxIs(std::string_view lower_name) const = 0;
  // The current account, password in plain text.
  UserRecord record() const {
    UserRecord account;
    ReadRecord(&account);
    return account;
  }
  // The same into `account`, for walks that keep one record and refill it.
  void ReadRecord(UserRecord* account) const { ReadRecordInto(account->data()); }
  // The same into the kUserRecordSize bytes at `out`.
  virtual void ReadRecordInto(uint8_t* out) const = 0;

  // Ok unless a read failed; a failed read ends the walk.
  virtual Status status() const = 0;
};

// Decides whether a candidate record of a login search is the account.
using LoginCheck = std::function<bool(const UserRecord& record, std::string_view domain)>;

class AccountStore {
 public:
  virtual ~AccountStore() = default;

  // Sets the account cache up afresh from the configuration (its size, or
  // none when caches are switched off).
  virtual void SetUpCache() = 0;

  // Whether the domain has an account store at all (a missing one counts as
  // no accounts).
  virtual bool Exists(std::string_view domain) = 0;
  virtual int Count(std::string_view domain) = 0;
  // The record at `position`, or a zero record for a position outside the
  // store; gives the number of accounts.
  virtual int Load(std::string_view domain, int position, UserRecord* record) = 0;

  // The first position whose alias list matches `alias` (groups allowed),
  // or -1.
  virtual int PositionOfAlias(std::string_view domain, std::string_view alias) = 0;
  // The first account whose alias list matches `local_part`, through the
  // account cache when `use_cache`; false when none does.
  virtual bool FindByAlias(std::string_view domain, std::string_view local_part, bool use_cache,
                           UserRecord* record, int* position) = 0;
  // The positions of the user accounts whose lower-cased mailbox name is
  // `lower_name`, in position order.
  virtual std::vector<int> PositionsOfMailbox(std::string_view domain,
                                              const std::string& lower_name) = 0;

  // The cached accounts `login` may name, tried from the one used longest
  // ago: true, with the account, when one that `check` accepts is still
  // current. False when none is cached, none passes, or the one that passed
  // is no longer current (the caller then searches the store).
  virtual bool FindCachedLogin(const LoginName& login, const GroupFileReader& groups,
                               const LoginCheck& check, UserRecord* record,
                               std::string* domain) = 0;
  // The user accounts of `domain` that `login` may name, in position order
  // (by alias: from the first alias match on), until `check` accepts one:
  // true with that account, which then enters the account cache where a
  // lookup by its primary alias would answer it.
  virtual bool FindLogin(std::string_view domain, const LoginName& login,
                         const GroupFileReader& groups, const LoginCheck& check,
                         UserRecord* record) = 0;

  // A walk over the domain's accounts; null when the domain has no store.
  virtual std::unique_ptr<AccountIterator> NewIterator(std::string_view domain) = 0;

  // Holds the domain's accounts for one step of checks and writes: Write
  // and Remove of the holder's thread go on under it, every other writer,
  // in this program or another, waits. Operations that check before they
  // write (an alias is free, a position still holds the account loaded)
  // hold it from the check to the write. Fails only when the lock cannot
  // be had (InvalidArgument for a name that cannot be a domain).
  virtual Result<std::unique_ptr<StoreLock>> LockDomain(std::string_view domain) = 0;

  // Replaces the account at `*position`, or adds one when it is -1 or the
  // count (the new position is given back). Takes the domain's lock for
  // the write alone; a caller that checked first holds LockDomain.
  virtual Status Write(std::string_view domain, const UserRecord& record, int* position) = 0;
  // Removes the account at `position`; later ones move down one position.
  // `removed` receives it, password as stored; `groups`, when given, the
  // group accounts left in the domain, in position order.
  virtual Status Remove(std::string_view domain, int position, UserRecord* removed,
                        std::vector<UserRecord>* groups = nullptr) = 0;
};

}  // namespace tarvelin
