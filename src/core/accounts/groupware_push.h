// A shared group (type 7 with the sharing flag, offset 2469) as the
// groupware service knows it: an owner of the group's address holding one
// group whose users are the members of the member file.
//
// The calls, over the service channel (field order: call, session,
// argument, second): "LoginUser" (login name, password of the
// configuration) gives the session; removed: "DeleteOwner" (address);
// otherwise "CreateUser" (address), "GetGroupList" (address), whose answer
// carries "GRP_ID=<id>" among "&"- or line-separated name=value pairs;
// "OpenGroup" (id) gives a group session, under which "AddGroup" (id,
// "GrpTitle=..&GrpShareMode=F&GrpGlobal=<flag>&"), "DeleteGroupUsers"
// (id) and, per member line, "AddGroupUser" (id, "UsrEmail=<first
// item>&UsrFriend=<second item>&") follow; "LogoutUser" ends the session.
// An empty session or group session skips what depends on it. The calls
// are skipped when configuration variable 185 is on; the group goes to the
// instant-messaging roster (engine_hooks.h) in every case.
#pragma once

#include <string>
#include <string_view>

#include "schema/user_record.h"

namespace tarvelin {

class Context;

// Letters, digits, "-", ".", "/" and "_" as they are; every other byte as
// "%" and two upper-case hexadecimal digits.
std::string PercentEncode(std::string_view text);

// The value of `name` (any case) in an answer of name=value pairs
// separated by "&" or line breaks, trimmed; empty when absent.
std::string AnswerValue(std::string_view answer, std::string_view name);

// Nothing for a record without the sharing flag. Failures are ignored.
void PushGroupToGroupware(Context& context, const UserRecord& group, std::string_view domain,
                          bool removed);

}  // namespace tarvelin
