// bind.dat in the configuration directory: local addresses for outgoing
// connections ("Outgoing_Bind=") and for IPv6 ("IPv6_Bind=").
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

// Applies the file's lines in order (later lines win); a missing file
// changes nothing.
void ReadBindDat(Env& env, std::string_view path, std::string* outgoing_bind,
                 std::string* ipv6_bind);

}  // namespace tarvelin
