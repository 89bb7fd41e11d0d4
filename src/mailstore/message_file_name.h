// Names of message files in the two mailbox layouts: ".tmp" files in the
// POP3 layout, ".imap" files in the IMAP layout (letter case counts, as for
// the folder size). The services may add a "-" suffix to a name before its
// extension; a converted file drops it.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr std::string_view kPop3Extension = ".tmp";
inline constexpr std::string_view kImapExtension = ".imap";

// `name` up to its last "." (all of it without one), cut before the last
// "-" of that part when it has one, followed by `extension`:
// "123-4.imap" becomes "123.tmp".
std::string ConvertedMessageName(std::string_view name, std::string_view extension);

}  // namespace tarvelin
