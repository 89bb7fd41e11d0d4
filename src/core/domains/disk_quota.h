// diskquot.dat in the configuration directory: lines of domain name, "=",
// quota in kilobytes; the name "*" stands for every domain. Used for
// domains whose record sets no quota of its own.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

// The quota of the first line (trimmed, lower-cased) whose name part is
// the domain or "*"; the number after the first "=" read as an unsigned
// decimal, 0 when unreadable. 0 when no line applies or the file is
// missing.
uint32_t DiskQuotaFromFile(Env& env, std::string_view path, std::string_view domain);

}  // namespace tarvelin
