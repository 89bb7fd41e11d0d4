// A walk over the accounts of one domain in position order, as they were
// when it began (whatever is written meanwhile), delivering only the
// records a query accepts (query_filter.h; an empty query accepts all).
// The query's property names are those of the installation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "schema/query_filter.h"
#include "schema/user_record.h"
#include "store/account_store.h"

namespace tarvelin {

class Context;

class AccountWalk {
 public:
  // Null when the domain has no accounts store to walk. The Context must
  // outlive the walk.
  static std::unique_ptr<AccountWalk> Start(const Context& context, std::string_view domain,
                                            std::string_view query);
  // As Start, with the query's property names from `names` (which must
  // outlive the walk) instead of the installation's.
  static std::unique_ptr<AccountWalk> Start(const Context& context, std::string_view domain,
                                            std::string_view query, const PropertyTable& names);

  // Moves to the next record the query accepts: true; false at the end and
  // after a read error.
  bool Next();
  // As Next, with the record decoded straight into the kUserRecordSize
  // bytes at `out` (record() is left as it was).
  bool NextInto(uint8_t* out);

  // The current record (password in plain text) and its position; -1
  // before the first Next.
  const UserRecord& record() const { return record_; }
  int position() const { return position_; }
  // Accounts in the version walked.
  int count() const { return accounts_->count(); }

 private:
  AccountWalk(std::unique_ptr<AccountIterator> accounts, std::unique_ptr<QueryFilter> filter)
      : accounts_(std::move(accounts)), filter_(std::move(filter)) {}

  std::unique_ptr<AccountIterator> accounts_;
  std::unique_ptr<QueryFilter> filter_;  // null without a query
  UserRecord record_{};
  int position_ = -1;
};

}  // namespace tarvelin
