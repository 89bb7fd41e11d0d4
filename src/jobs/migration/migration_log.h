// The migration's text files, appended under the migration lock: the
// migration log (the file that configuration variable 368 names; none when
// it is empty) and migrate.err in the configuration folder, the accounts
// that could not be created.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

class Context;

// One log line without its line end: "[" thread id as 8 lower-case hex
// digits "] ", the local time as "Day, dd Mon yyyy hh:mm:ss +hhmm" in
// English, a space and the text.
std::string FormatMigrationLogLine(uint32_t thread_id, const LocalTime& when,
                                   std::string_view text);

// Appends the line (CR LF ended) to the migration log; Ok and nothing
// written when variable 368 is empty.
Status AppendMigrationLog(Context& context, std::string_view text);

std::string MigrationErrorPath(const Context& context);
// Appends `text` as it is to migrate.err.
Status AppendMigrationError(Context& context, std::string_view text);

}  // namespace tarvelin
