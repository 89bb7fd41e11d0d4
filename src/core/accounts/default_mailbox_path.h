// Where a new user account's mail goes when its record names no folder.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

class Context;

// The domain's DomainMailboxRoot (when empty: the domain name) and a
// separator unless it ends with one; with configuration variable 303 on and variable 304 N above
// 0, the first N characters of the alias list and a separator; then the
// primary alias, its final "." turned into "_", and a separator. The
// characters double quote, "*", "<", ">", "?" and "|" are left out, and so
// is "/" inside the parts taken from the aliases: it would split them into
// folders. A part taken from the aliases that keeps no character at all
// ("*", "?", "/", "|", "**") becomes "_" and the lower-case hex codes of its
// bytes ("*" gives "_2a"), so it is never the domain's folder itself.
// Relative to the mail root unless the domain's root is absolute.
std::string DefaultMailboxPath(Context& context, std::string_view domain,
                               std::string_view alias_list);

}  // namespace tarvelin
