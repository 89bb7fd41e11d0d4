// The server log in a database: one row per entry in the table
// "log_entries", appended by DBDoLog for the log writer of every process.
//   id        rising number of the entry (the order entries arrived in)
//   kind      the log kind, 0 to 15 (which log: SMTP, POP3, errors, ...)
//   bits      the entry bits the writer's levels select on
//   logged_at the time as the writer gives it ("yyyy-mm-dd hh:nn:ss")
//   thread    the writing thread's id in hexadecimal
//   source    who wrote it ("SMTP", "SYSTEM", ...)
//   tag       the server's file name tag (empty when none)
//   message   the first line of the message
// Texts are stored as bytes, as given (single-byte, not always UTF-8). An
// index on logged_at serves reading a stretch of time.
#pragma once

#include <cstdint>
#include <string>

#include "backend/sql_connection.h"

namespace tarvelin::backend {

struct LogEntry {
  int32_t kind = 0;
  int32_t bits = 0;
  std::string message;
  std::string time;
  std::string thread;
  std::string source;
  std::string tag;
};

// Creates the table and its index when they are missing.
Status CreateLogTables(SqlConnection& connection);
// Drops them with every entry (nothing when they are not there).
Status DropLogTables(SqlConnection& connection);

// Appends one entry, creating the table first when it is missing.
// InvalidArgument for a kind outside 0 to 15.
Status AppendLogEntry(SqlConnection& connection, const LogEntry& entry);

}  // namespace tarvelin::backend
