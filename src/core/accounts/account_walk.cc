#include "core/accounts/account_walk.h"

#include "core/context.h"

namespace tarvelin {

std::unique_ptr<AccountWalk> AccountWalk::Start(const Context& context, std::string_view domain,
                                                std::string_view query) {
  return Start(context, domain, query, context.properties());
}

std::unique_ptr<AccountWalk> AccountWalk::Start(const Context& context, std::string_view domain,
                                                std::string_view query,
                                                const PropertyTable& names) {
  std::unique_ptr<AccountIterator> accounts = context.accounts().NewIterator(domain);
  if (accounts == nullptr) return nullptr;
  std::unique_ptr<QueryFilter> filter;
  if (!query.empty()) {
    filter = std::make_unique<QueryFilter>(context.config.record, names, query);
  }
  // The first Next moves to position 0.
  accounts->Seek(-1);
  return std::unique_ptr<AccountWalk>(new AccountWalk(std::move(accounts), std::move(filter)));
}

bool AccountWalk::Next() { return NextInto(record_.data()); }

bool AccountWalk::NextInto(uint8_t* out) {
  for (accounts_->Seek(position_ + 1); accounts_->Valid(); accounts_->Next()) {
    accounts_->ReadRecordInto(out);
    position_ = accounts_->position();
    if (filter_ == nullptr || filter_->Accepts(out)) return true;
  }
  return false;
}

}  // namespace tarvelin
