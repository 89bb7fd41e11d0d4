#include "core/accounts/group_members.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/accounts/account_lookup.h"
#include "core/accounts/groupware_push.h"
#include "core/accounts/member_file.h"
#include "schema/user_record_offsets.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/lock_table.h"
#include "platform/file_system.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

// The member as the matching compares it.
class MemberMatcher {
 public:
  explicit MemberMatcher(const MemberChange& change)
      : member_(ToLower(Trim(change.member))), wildcards_(change.wildcards) {}

  bool Matches(std::string_view line) const {
    if (member_.empty()) return false;
    const std::string address = ToLower(MemberAddress(line));
    return wildcards_ ? WildcardMatch(member_, address) : member_ == address;
  }

 private:
  std::string member_;
  bool wildcards_;
};

std::string ReplacementLine(const MemberChange& change, std::string_view matched) {
  const std::string address = MemberAddress(matched);
  std::string member = *change.replacement;
  if (change.wildcards) member = ReplaceAll(member, "*", address.substr(0, address.find('@')));
  if (IsBracketedMember(matched)) member = "[" + member + "]";
  return member + ";" + MemberItem(matched, 1);
}

bool HasMatch(const std::vector<std::string>& lines, const MemberMatcher& matcher) {
  for (const std::string& line : lines) {
    if (matcher.Matches(line)) return true;
  }
  return false;
}

}  // namespace

MemberRewrite RewriteMembers(std::string_view content, const MemberChange& change) {
  const MemberMatcher matcher(change);
  const std::optional<std::string>& replacement = change.replacement;
  const bool spreads =
      change.wildcards && replacement && replacement->find('*') != std::string::npos;
  std::vector<std::string> lines;
  for (std::string& line : SplitLines(content)) {
    if (!Trim(line).empty()) lines.push_back(std::move(line));
  }
  std::vector<bool> keep(lines.size(), true);

  MemberRewrite result;
  for (size_t i = lines.size(); i-- > 0;) {
    if (!matcher.Matches(lines[i])) continue;
    ++result.matched;
    if (!replacement) {
      keep[i] = false;
      continue;
    }
    lines[i] = ReplacementLine(change, lines[i]);
    if (!spreads) break;
  }
  const bool append = replacement && !spreads && result.matched == 0;
  if (append) {
    lines.push_back(*replacement);
    keep.push_back(true);
  }
  result.changed = result.matched > 0 || append;

  const bool crlf = content.find("\r\n") != std::string_view::npos ||
                    content.find('\n') == std::string_view::npos;
  const char* line_break = crlf ? "\r\n" : "\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    if (keep[i]) result.content += lines[i] + line_break;
  }
  return result;
}

std::vector<GroupRef> GroupsContaining(Context& context, const MemberChange& change,
                                       const KnownGroups* known) {
  const MemberMatcher matcher(change);
  std::vector<GroupRef> groups;
  for (int position = 0; position < context.domains().Count(); ++position) {
    const std::string domain = context.domains().NameAt(position);
    if (known != nullptr && EqualsNoCase(known->domain, domain)) {
      for (const UserRecord& record : known->records) {
        if (HasMatch(ReadMemberLines(context, record), matcher)) groups.push_back({domain, record});
      }
      continue;
    }
    std::unique_ptr<AccountIterator> accounts = context.accounts().NewIterator(domain);
    if (accounts == nullptr) continue;
    // Only the type of each account is looked at; groups are few, so only
    // they are read whole.
    for (; accounts->Valid(); accounts->Next()) {
      if (accounts->account_type() != kGroupAccount) continue;
      GroupRef group{domain, accounts->record()};
      if (HasMatch(ReadMemberLines(context, group.record), matcher)) groups.push_back(group);
    }
  }
  return groups;
}

bool ReplaceGroupMember(Context& context, const GroupRef& group, const MemberChange& change) {
  const std::string path = MemberFilePath(context, group.record);
  if (path.empty()) return true;
  {
    // The file's cross-process lock keeps rewrites by other programs, lock
    // 2 those of other threads, from losing each other's change; the
    // cross-process one first, so no thread waits for another program
    // while holding lock 2.
    const Result<CrossProcessLocks::Held> held =
        context.file_locks().Acquire(LockFileOf(context.api.config_path), FileLockOf(path));
    if (!held.ok()) return false;
    ScopedLock lock(context.locks(), LockId::kMailingLists);
    std::string content;
    const Status read = context.env().ReadFile(path, &content);
    if (read.Is(StatusCode::kNotFound)) return true;
    if (!read.ok()) return false;
    const MemberRewrite rewrite = RewriteMembers(content, change);
    if (!rewrite.changed) return true;
    if (!WriteFileAtomic(context.env(), path, rewrite.content).ok()) return false;
  }
  PushGroupToGroupware(context, group.record, group.domain, /*removed=*/false);
  return true;
}

void ReplaceMemberEverywhere(Context& context, const MemberChange& change,
                             const KnownGroups* known) {
  for (const GroupRef& group : GroupsContaining(context, change, known)) {
    ReplaceGroupMember(context, group, change);
  }
}

}  // namespace tarvelin
