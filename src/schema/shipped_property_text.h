// The property names as this build ships them (data/apiconst.pas, compiled
// in): what a fresh installation gets, and what the tools fall back on for
// an installation that lacks its own copy.
#pragma once

#include <string_view>

namespace tarvelin {

std::string_view ShippedPropertyText();

}  // namespace tarvelin
