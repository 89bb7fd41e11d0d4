// The server log as a management program reads it: the last lines of the
// file today's entries of a kind go to.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/status.h"
#include "log/log_kinds.h"

namespace tarvelin {

class Context;

// The log kinds are 0 to kServerLogKinds - 1.
inline constexpr int kServerLogKinds = kLogKindCount;

struct LogTail {
  std::string file;
  std::vector<std::string> lines;  // without their line ends
};

// The last `count` lines of today's file of `kind`, as the log writer
// names it (with rotation, the highest-numbered file of today), read from
// the end so that a large file costs little; a line the read cut is not
// given. InvalidArgument for an unknown kind, NotFound when today has no
// file, IOError when it cannot be read.
Result<LogTail> TailOfTodaysLog(const Context& context, int kind, size_t count);

}  // namespace tarvelin
