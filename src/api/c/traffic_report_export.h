// The traffic report export in C++ form: GetUserStat, and the per-day
// report the automation object adds. Null From, To and Filter are empty
// texts; an invalid date is the date zero. 0 when the report was written;
// -3 for a null output path; -1 when the output file could not be created
// or written (an earlier file of that name is then left as it was). The
// extern "C" export asks OnInitialised first.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;

namespace capi {

int32_t GetUserStat(const Context& context, const char* from, const char* to, const char* filter,
                    const char* output_file, bool per_day);

}  // namespace capi
}  // namespace tarvelin
