// The server log as a management program reads it: the last lines of the
// file today's entries of a kind go to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/date_time.h"
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

// The kind a person names: its number, or for the kinds of a known service
// or use its name in any case ("smtp", "pop3", "control", "antivirus",
// "im", "ftp", "antispam", "sip", "error", "maintenance"). InvalidArgument
// listing both forms otherwise.
Result<int> LogKindOfText(std::string_view text);
// The name of a kind, empty for a kind known only by its number.
std::string_view LogKindName(int kind);

// Follows the file today's entries of a kind go to, as "tail -f" does.
// Each Read gives the whole lines written since the last; a line still
// being written waits for its line end. When the writer has moved on to
// another file (the next day's, or the next rotation number's) and that
// file exists, the rest of the old one is read first, then the new one
// from its start. A file that shrank is read again from its start.
class LogFollower {
 public:
  // Starts after the last whole line of the kind's file for `today` (a
  // file that does not exist yet is read from its start once it appears);
  // `last` receives up to `count` of the lines before that point.
  // InvalidArgument for an unknown kind, IOError when the file cannot be
  // read.
  static Result<LogFollower> Start(const Context& context, int kind, size_t count,
                                   const CivilDate& today, std::vector<std::string>* last);

  // The lines written since, by file (two files when the writer moved on);
  // `today` is the date the writer goes by now.
  Result<std::vector<LogTail>> Read(const CivilDate& today);
  // The file followed now.
  const std::string& file() const { return file_; }

 private:
  LogFollower(const Context& context, int kind, std::string file, int64_t offset)
      : context_(&context), kind_(kind), file_(std::move(file)), offset_(offset) {}
  // From offset_ to the end of file_: whole lines only unless `to_end`.
  Status ReadOn(bool to_end, std::vector<LogTail>* read);

  const Context* context_;
  int kind_;
  std::string file_;
  int64_t offset_;
};

}  // namespace tarvelin
