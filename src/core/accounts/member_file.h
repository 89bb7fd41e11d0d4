// The member file of a group or mailing list: a text file named by the
// first ";"-item of the record's text at offset 774 (below ConfigPath
// unless absolute), one member a line. A line's ";"-items are the member
// address, optionally between "[" and "]", then further items (the second
// is the member's display name).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "schema/user_record.h"

namespace tarvelin {

class Context;

// The file's path; empty when the record names none.
std::string MemberFilePath(const Context& context, const UserRecord& record);

// The non-blank lines of the file, as written; none when it is missing.
std::vector<std::string> ReadMemberLines(const Context& context, const UserRecord& record);

// The trimmed ";"-item `index` of a line; empty when the line has fewer.
std::string MemberItem(std::string_view line, size_t index);
// The first item without its enclosing brackets.
std::string MemberAddress(std::string_view line);
// True for a first item between "[" and "]".
bool IsBracketedMember(std::string_view line);

}  // namespace tarvelin
