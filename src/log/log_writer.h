// The server log writer. Every log line of the library goes through
// WriteLog, which checks the kind's level, builds the line
//   source padded to 15, " [", thread id in hex, "] ", time, " ", message
// (cut to 255 characters) and hands it to the destinations the
// configuration names: the kind's daily file (optionally buffered per kind
// and rotated by size), the debugger output (standard error) and a syslog
// receiver over UDP, and the database log through a sink its owner sets.
// Destinations fail quietly; nothing is reported back.
//
// The writer keeps per kind the day of its last entry, the rotation counter
// and the buffered text, for the life of the process. Buffered text is
// written when the buffer fills, an entry of thread id 0 arrives, or the
// day changes (into the file of its own day); not when the process ends.
// All destinations are served under lock 7 of the installation's lock table.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "log/log_kinds.h"
#include "platform/env.h"
#include "platform/lock_table.h"

namespace tarvelin {

// Where the writer takes its time from.
class LogClock {
 public:
  virtual ~LogClock() = default;
  // Seconds since the epoch; asked for every entry, so it must be cheap.
  virtual int64_t Now() = 0;
  // The local time of a second that Now() gave; asked once per new second.
  virtual LocalTime Local(int64_t seconds) = 0;
};

// The wall clock of `env` under the process's time zone; `env` outlives it.
std::unique_ptr<LogClock> SystemLogClock(Env& env);

// The time of an entry as log lines show it. Form 0 "hh:nn:ss", form 1
// "yyyy-mm-dd hh:nn:ss", any other the e-mail date form
// "Tue, 05 Mar 2024 09:05:07 +0100".
std::string FormatLogTime(const LocalTime& time, uint8_t form);

// The text with the value of every "password=", "passwd=" and "pwd=" item
// (any case, spaces allowed before "=") replaced by "*****", up to the next
// ";" (a value in braces up to its closing brace), so connection texts can
// be logged.
std::string MaskPasswords(std::string_view text);

// One entry as the database log takes it (setting 108 on and setting 21 =
// 1): the message's first line, the time in form 1, the thread id in hex
// with an even digit count, the source and the file name tag.
struct DatabaseLogEntry {
  int kind = 0;
  uint32_t entry_bits = 0;
  std::string message;
  std::string time;
  std::string thread;
  std::string source;
  std::string tag;
};
// Hands an entry to the database; its failures are its own.
using DatabaseLogSink = std::function<void(const ServerConfig& record, const DatabaseLogEntry&)>;

class LogWriter {
 public:
  // Writes through `env`, which outlives the writer.
  LogWriter(Env& env, std::unique_ptr<LogClock> clock, LockTable& locks);
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // One entry. Ignored for an empty source, a kind outside 0..15, or entry
  // bits the kind's level does not want. Only the message's first line is
  // kept.
  void Write(const LogSettings& settings, uint32_t thread_id, int kind, std::string_view source,
             uint32_t entry_bits, std::string_view message);

  // Where entries go when the configuration logs to the database; set
  // before the writer serves several threads. The sink runs outside the
  // writer's lock.
  void SetDatabaseSink(DatabaseLogSink sink) { database_sink_ = std::move(sink); }

  // The change log of domains and accounts: when setting 445 is on, kind 14
  // from the calling thread, source "SYSTEM", entry bits 1, text
  // "'actor' action 'object'"; an empty actor is "System", an empty action
  // "created" or "updated" by `is_new`.
  void Change(const LogSettings& settings, std::string_view actor, std::string_view action,
              std::string_view object, bool is_new);

  // An error entry of kind 11, thread id 0, source "SYSTEM", entry bits 1:
  // "<program file> function <function>(<argument>) error <code> : <text>".
  // The argument is quoted unless `formatted`, and its passwords masked.
  // Code 0 takes the system's last error code.
  void Error(const LogSettings& settings, std::string_view function, std::string_view argument,
             bool formatted, int code);

 private:
  struct KindState {
    int64_t day = 0;  // day number of the last entry; 0 before the first
    CivilDate date;   // the same day as a date
    int rotation = 0;
    std::string buffer;
  };
  struct TimeCache {
    int64_t seconds = INT64_MIN;
    int64_t day = 0;
    CivilDate date;
    std::string forms[3];      // time forms 0, 1 and the e-mail form
    std::string syslog_stamp;  // "Mar 05 09:05:07"
  };

  void RefreshTime();
  // The entry being written, without its CR LF.
  std::string_view Line() const;
  void BuildLine(uint32_t thread_id, std::string_view source, std::string_view message,
                 uint8_t time_form);
  void WriteToFile(const LogSettings& settings, int kind, uint32_t thread_id);
  void AppendToDayFile(const LogSettings& settings, int kind, KindState& state, const CivilDate& date,
                       std::string_view text);
  void SendToSyslog(const ServerConfig& record);

  Env& env_;
  std::unique_ptr<LogClock> clock_;
  LockTable& locks_;
  TimeCache time_;
  KindState kinds_[kLogKindCount];
  std::string line_;  // the entry being written with its CR LF, reused
  DatabaseLogSink database_sink_;
  std::string syslog_address_;
  int64_t syslog_opened_second_ = 0;  // of the last attempt to open syslog_
  std::unique_ptr<DatagramSender> syslog_;  // null while there is no receiver
};

}  // namespace tarvelin
