// Version texts of the server ("8.3.12", "8.3.12-4") as numbers: major x
// 1000000 + minor x 10000 + patch x 100 + build.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

// Never refuses: the parts are the texts between ".", "." and "." (the
// third cut at "-" into patch and build), each trimmed and read up to its
// first character that is no decimal digit; a missing or empty part counts
// 0. A part too long to count stops growing at a billion.
int64_t VersionNumber(std::string_view text);

// For the command line: InvalidArgument, saying why, unless the text is
// one to three numbers joined by "." with an optional "-" and build number
// after the third.
Status CheckVersionText(std::string_view text);

}  // namespace tarvelin
