// What tests look at inside a Context's file stores.
#pragma once

#include "core/context.h"
#include "store/file/file_account_store.h"
#include "store/file/file_domain_store.h"

namespace tarvelin::testing {

inline const AccountCache& AccountCacheOf(const Context& context) {
  return dynamic_cast<const FileAccountStore&>(context.accounts()).cache();
}

inline const DomainCache& DomainCacheOf(const Context& context) {
  return dynamic_cast<const FileDomainStore&>(context.domains()).cache();
}

}  // namespace tarvelin::testing
