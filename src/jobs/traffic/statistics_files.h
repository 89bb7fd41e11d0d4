// The per-account files the mail services keep and the traffic report
// reads: the daily statistics (userstat.dat, ~stat/YYYY.dat: 32-byte
// records, the day as a date-time double then six unsigned 32-bit counters)
// and the access dates (the first 24 bytes of the 160-byte useraccess.dat).
// Readers only: a missing file is empty, and a read error or a torn tail
// ends the reading of that one file with what was read before it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

inline constexpr size_t kUserStatRecordSize = 32;
inline constexpr size_t kUserAccessRecordSize = 160;

// The six counters in the order of the record: received, sent and sent-out
// messages, then received, sent and sent-out bytes.
enum StatField {
  kReceivedMessages,
  kSentMessages,
  kSentOutMessages,
  kReceivedBytes,
  kSentBytes,
  kSentOutBytes,
  kStatFieldCount
};
using StatCounters = std::array<uint64_t, kStatFieldCount>;

struct UserStatRecord {
  double day = 0;  // as stored: may be anything, NaN included
  std::array<uint32_t, kStatFieldCount> values{};
};

// Decodes the kUserStatRecordSize bytes at `bytes`.
UserStatRecord DecodeUserStatRecord(const uint8_t* bytes);

// Calls `record` for each whole record of the file, in file order. The
// file is read in blocks, so a file of any size takes bounded memory.
void ReadUserStatFile(Env& env, std::string_view path,
                      const std::function<void(const UserStatRecord&)>& record);

// The statistics files of a folder (ending with a separator).
std::string UserStatPath(std::string_view folder);
std::string UserStatArchivePath(std::string_view folder, int year);

struct AccessDates {
  double last_sent = 0;
  double last_received = 0;
  double last_login = 0;
};

// The dates of useraccess.dat; all 0 when the file is missing or shorter
// than one record (its read fails).
AccessDates ReadAccessDates(Env& env, std::string_view path);
std::string UserAccessPath(std::string_view folder);

}  // namespace tarvelin
