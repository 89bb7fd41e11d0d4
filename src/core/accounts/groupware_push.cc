#include "core/accounts/groupware_push.h"

#include <optional>
#include <vector>

#include "core/accounts/engine_hooks.h"
#include "core/accounts/member_file.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "services/service_requests.h"

namespace tarvelin {

namespace {

constexpr int kSharingFlag = 2469;       // id 157
constexpr int kGroupwareCallsOff = 162;  // variable 185
constexpr int kDisplayNameCapacity = 254;

bool IsPlain(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '/' || c == '_';
}

std::string TitleOf(const UserRecord& record, const std::string& address) {
  const std::string text =
      GetPString(record.data() + user_offsets::kNameAndNote, kDisplayNameCapacity);
  const std::string title = text.substr(0, text.find(';'));
  return title.empty() ? address : title;
}

// One call on the groupware service; empty when nothing came back.
class GroupwareSession {
 public:
  explicit GroupwareSession(const ServiceChannel& channel) : channel_(channel) {}

  std::string Call(std::string_view call, std::string_view session, std::string_view argument,
                   std::string_view second = {}) const {
    const std::optional<std::string> answer =
        GroupwareCall(channel_, GroupwareRequest{call, session, argument, second});
    return answer.value_or(std::string());
  }

 private:
  const ServiceChannel& channel_;
};

void SendGroup(const GroupwareSession& groupware, const std::string& session,
               const std::string& address, const std::string& title, uint8_t sharing,
               const std::vector<std::string>& members) {
  groupware.Call("CreateUser", session, address);
  const std::string id = AnswerValue(groupware.Call("GetGroupList", session, address), "GRP_ID");
  const std::string group_session = groupware.Call("OpenGroup", session, id);
  if (group_session.empty()) return;
  groupware.Call("AddGroup", group_session, id,
                 "GrpTitle=" + PercentEncode(title) +
                     "&GrpShareMode=F&GrpGlobal=" + std::to_string(sharing) + "&");
  groupware.Call("DeleteGroupUsers", group_session, id);
  for (const std::string& line : members) {
    groupware.Call("AddGroupUser", group_session, id,
                   "UsrEmail=" + PercentEncode(MemberItem(line, 0)) +
                       "&UsrFriend=" + PercentEncode(MemberItem(line, 1)) + "&");
  }
}

}  // namespace

std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsPlain(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

std::string AnswerValue(std::string_view answer, std::string_view name) {
  const std::string text = ReplaceAll(ReplaceAll(answer, "\r", "&"), "\n", "&");
  for (const std::string& pair : Split(text, '&')) {
    const size_t equals = pair.find('=');
    if (equals != std::string::npos && EqualsNoCase(Trim(pair.substr(0, equals)), name)) {
      return Trim(pair.substr(equals + 1));
    }
  }
  return {};
}

void PushGroupToGroupware(Context& context, const UserRecord& group, std::string_view domain,
                          bool removed) {
  const uint8_t sharing = group[kSharingFlag];
  if (sharing == 0) return;
  RosterGroup roster;
  roster.members = ReadMemberLines(context, group);
  roster.address = ToLower(PrimaryAliasOf(group) + "@" + std::string(domain));
  roster.title = TitleOf(group, roster.address);
  roster.removed = removed;

  const ServerConfig& config = context.config.record;
  if (config.Byte(kGroupwareCallsOff) == 0) {
    const ServiceChannel channel = context.Channel();
    const GroupwareSession groupware(channel);
    const std::string session = groupware.Call("LoginUser", config.Text(offsets::kGroupwareUser),
                                               config.Text(offsets::kGroupwarePassword));
    if (!session.empty()) {
      if (removed) {
        groupware.Call("DeleteOwner", session, roster.address);
      } else {
        SendGroup(groupware, session, roster.address, roster.title, sharing, roster.members);
      }
      groupware.Call("LogoutUser", session, "");
    }
  }
  context.hooks().HandToRoster(roster);
}

}  // namespace tarvelin
