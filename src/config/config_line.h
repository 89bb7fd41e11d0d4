// The line rule of the small configuration text files (path.dat, bind.dat):
// comments are cut and the rest is trimmed.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// Cuts "#" and what follows, then "// " and what follows, removes every
// complete "/*" ... "*/" section, and trims.
std::string CleanConfigLine(std::string_view line);

}  // namespace tarvelin
