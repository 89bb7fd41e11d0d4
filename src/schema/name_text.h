// The characters an alias list or a mailbox name may hold: printable ASCII
// without the characters that would break an address or a login (space,
// double quote, "(", ")", ",", ":", "<", ">" and "\"). Some fields refuse
// more: "@" in alias lists, ";", "[" and "]" in mailbox names.
#pragma once

#include <string_view>

namespace tarvelin {

enum class NameRefusal : int {
  kNone = 0,
  kAt = 1,         // "@"
  kListMarks = 2,  // ";", "[" and "]"
};

// True when every character is below code 128, no control character (0 to
// 31, 127) and none of the refused ones. The empty text is valid.
bool IsValidNameText(std::string_view text, NameRefusal also_refused);

}  // namespace tarvelin
