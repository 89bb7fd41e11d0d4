// Membership of addresses in groups (type 7): finding the groups whose
// member file lists an address, and replacing or removing a member in them
// when an account is renamed or removed, or a domain renamed or deleted.
//
// A member line is matched by its first item, brackets removed, letter
// case ignored: equal to the member, or, where the change allows
// wildcards, matching it as a pattern of "*" and "?".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schema/user_record.h"

namespace tarvelin {

class Context;

struct MemberChange {
  std::string member;                      // an address, or a pattern
  std::optional<std::string> replacement;  // none: remove the member
  // Off for the address of an account, whose "*" or "?" are characters of
  // its alias; on for patterns such as "*@" + domain.
  bool wildcards = false;
};

struct GroupRef {
  std::string domain;
  UserRecord record{};
};

struct MemberRewrite {
  std::string content;   // the new file text
  int matched = 0;       // lines that matched
  bool changed = false;  // a line was removed, replaced or appended
};

// The rewrite of a member file's text. Lines are visited from the last to
// the first; a matching line is removed and, with a replacement R, a line
// takes its place: R (with wildcards, every "*" in it standing for the
// matched address's local part), in brackets when the matched item was,
// then ";" and the matched line's second item. Unless R spreads over
// several members through a "*", the first match (the last line) ends the
// pass, and when nothing matched R is appended. Blank lines are dropped;
// the line break of the text (CR LF unless it used LF alone) ends every
// line.
MemberRewrite RewriteMembers(std::string_view content, const MemberChange& change);

// Every group of every domain whose member file has a matching line, in
// domain and file order.
// The group accounts of one domain, already at hand (as a removal's copy
// pass met them): the search takes them instead of reading that domain.
struct KnownGroups {
  std::string domain;
  std::vector<UserRecord> records;
};
std::vector<GroupRef> GroupsContaining(Context& context, const MemberChange& change,
                                       const KnownGroups* known = nullptr);

// Rewrites the group's member file (temporary file renamed over it, so a
// crash leaves the old or the new file), holding the file's cross-process
// lock from the read to the rename, and pushes the group to the groupware
// service. Nothing is written, nor pushed, when the pass changes
// nothing or the file is missing. False when the file could not be read
// or written; then nothing was changed.
bool ReplaceGroupMember(Context& context, const GroupRef& group, const MemberChange& change);

// ReplaceGroupMember on every group GroupsContaining finds.
void ReplaceMemberEverywhere(Context& context, const MemberChange& change,
                             const KnownGroups* known = nullptr);

}  // namespace tarvelin
