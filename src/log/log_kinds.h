// The log kinds of the server log: which setting decides whether an entry
// of a kind is wanted, and where the kind's daily files live.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/date_time.h"
#include "schema/server_config.h"

namespace tarvelin {

inline constexpr int kLogKindCount = 16;

// Kinds the library writes itself.
inline constexpr int kLogKindError = 11;
inline constexpr int kLogKindMaintenance = 14;

// The ServerConfig fields that steer the log writer.
namespace log_offsets {
inline constexpr int kHostName = 0;
inline constexpr int kLogDirectory = 768;
inline constexpr int kBufferSize = 2878;       // bytes per kind, 0 = unbuffered
inline constexpr int kDebugOutput = 3640;      // flag
inline constexpr int kRotationSize = 22132;    // kilobytes, 0 = no rotation
inline constexpr int kFileLoggingOff = 25811;  // flag, the inverse of setting 410
inline constexpr int kSyslogOn = 25812;        // flag
inline constexpr int kSyslogAddress = 25813;   // text
inline constexpr int kTimeForm = 28057;        // 0, 1, anything else
inline constexpr int kChangeLog = 28067;       // flag, setting 445
}  // namespace log_offsets

enum class LogLevelRule {
  kLevel,   // the byte at level_offset is a level (see LogLevelWants)
  kSwitch,  // the byte at level_offset is a switch: every entry when non-zero
  kAlways,
  kNever,
};

struct LogKind {
  LogLevelRule rule;
  int level_offset;  // -1 for kAlways and kNever
  std::string_view name;
  bool directory;  // the name is a folder below the log directory
};

// The kind's row, or nullptr for a number outside 0..15.
const LogKind* FindLogKind(int kind);

// Level 1 takes entries with bit 0, level 2 those with bit 1, level 3 those
// with either; any other level none.
bool LogLevelWants(uint8_t level, uint32_t entry_bits);

// Whether an entry of `kind` with `entry_bits` is wanted under `record`;
// false for an unknown kind.
bool LogKindWants(const ServerConfig& record, int kind, uint32_t entry_bits);

// What the log writer is told of the configuration with every entry: the
// record, whose log fields (log_offsets) it reads, and path.dat's file name
// tag. Both must outlive the call.
struct LogSettings {
  const ServerConfig& record;
  std::string_view file_name_tag;
};

// The start of every file name of a valid kind: the log directory, the
// kind's name (a folder ends with a separator), then the file name tag.
std::string LogFileStem(const LogSettings& settings, int kind);

// The file of one day: stem, "yyyymmdd", with rotation (`counter` >= 0) "-"
// and the counter as at least two digits, then ".log".
std::string LogFileName(std::string_view stem, const CivilDate& date, int counter);

}  // namespace tarvelin
