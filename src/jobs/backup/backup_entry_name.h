// Names of backup archive entries: paths relative to the configuration
// directory with "\" separators, at most one length byte long. Sibling
// folders of the configuration directory (webmail, spam, logs, mail ...)
// are reached through one leading "..\".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelin {

inline constexpr size_t kMaxEntryNameLength = 255;

// `prefix` (archive form, empty or ending with "\") followed by `relative`
// (a "/"-separated path below the source directory) with "\" separators.
// False when the name cannot be stored faithfully: longer than 255 bytes,
// or a part holding "\" that would read back as a separator.
bool MakeEntryName(std::string_view prefix, std::string_view relative, std::string* name);

// The "/"-separated path below the configuration directory that `name`
// stands for, with "." steps, empty parts and inner ".." steps resolved.
// False when the entry must not be written: an absolute or drive-like name,
// one that climbs above the configuration directory's parent (more ".."
// steps than the single leading one), one holding a zero byte, or one that
// names a directory rather than a file.
bool EntryNameToPath(std::string_view name, std::string* relative);

}  // namespace tarvelin
