// What a login names: with alias logins (variable 115) an alias within a
// domain, otherwise the mailbox name of a user account in any domain.
#pragma once

#include <string>
#include <string_view>

#include "schema/user_record.h"
#include "foundation/list_match.h"

namespace tarvelin {

struct LoginName {
  bool by_alias = false;
  std::string mailbox;  // lower-cased whole login (by mailbox)
  std::string alias;    // the login before its first "@" (by alias)
  std::string domain;   // lower-cased login after its first "@" (by alias)
};

// By mailbox: the record's lower-cased mailbox name (setting 16) is the
// login. By alias: `domain` is the login's domain and the login's alias
// ListMatch-es the record's alias list, groups allowed. The type of the
// record is not looked at.
bool LoginNameMatches(const LoginName& login, const UserRecord& record, std::string_view domain,
                      const GroupFileReader& groups);

// The lower-cased mailbox name of a record.
std::string MailboxNameOf(const UserRecord& record);

}  // namespace tarvelin
