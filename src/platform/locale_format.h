// Dates formatted the way the local system shows them.
#pragma once

#include <string>

#include "foundation/date_time.h"

namespace tarvelin {

// The locale's short date form (strftime "%x") of a valid date.
std::string FormatShortDate(const CivilDate& date);

}  // namespace tarvelin
