// The debugger output of this platform: standard error, one line per call.
#pragma once

#include <string_view>

namespace tarvelin {

// Writes the line and a line feed in one write, so lines of several threads
// or processes sharing the stream do not mix. Failures are ignored: nobody
// may be listening.
void WriteDebugOutput(std::string_view line);

}  // namespace tarvelin
