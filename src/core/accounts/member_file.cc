#include "core/accounts/member_file.h"

#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {
constexpr int kMemberFileText = 774;
constexpr int kMemberFileCapacity = 255;
}  // namespace

std::string MemberFilePath(const Context& context, const UserRecord& record) {
  const std::string text = GetPString(record.data() + kMemberFileText, kMemberFileCapacity);
  const std::string name = ToOsPath(Trim(text.substr(0, text.find(';'))));
  if (name.empty()) return {};
  return IsAbsolutePath(name) ? name : context.api.config_path + name;
}

std::vector<std::string> ReadMemberLines(const Context& context, const UserRecord& record) {
  std::vector<std::string> lines;
  const std::string path = MemberFilePath(context, record);
  std::string content;
  if (path.empty() || !context.env().ReadFile(path, &content).ok()) return lines;
  for (std::string& line : SplitLines(content)) {
    if (!Trim(line).empty()) lines.push_back(std::move(line));
  }
  return lines;
}

std::string MemberItem(std::string_view line, size_t index) {
  const std::vector<std::string> items = Split(line, ';');
  return index < items.size() ? Trim(items[index]) : std::string();
}

bool IsBracketedMember(std::string_view line) {
  const std::string first = MemberItem(line, 0);
  return first.size() >= 2 && first.front() == '[' && first.back() == ']';
}

std::string MemberAddress(std::string_view line) {
  const std::string first = MemberItem(line, 0);
  return IsBracketedMember(line) ? Trim(first.substr(1, first.size() - 2)) : first;
}

}  // namespace tarvelin
