// The requests that bring an answer back from a service besides a command's
// 32-bit result: statistics, statistics reset, migration status, sessions
// and the groupware call. Each uses a connection of its own and checks
// nothing about the service beforehand: a service that does not run cannot
// be connected to, and the request fails without sending anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "services/service_channel.h"
#include "services/statistics_block.h"

namespace tarvelin {

inline constexpr uint32_t kStatisticsCode = 4098;
inline constexpr uint32_t kMigrationStatusCode = 4100;
inline constexpr uint32_t kStatisticsResetCode = 4102;
inline constexpr uint32_t kGroupwareCallCode = 4105;
inline constexpr uint32_t kSessionsCode = 4110;

inline constexpr size_t kMigrationStatusSize = 40;
using MigrationStatus = std::array<uint8_t, kMigrationStatusSize>;

// Sends code and the id as one byte. True when an answer came; `block` then
// holds its first 120 bytes, zero-filled when shorter (all zero on failure).
bool RequestStatistics(const ServiceChannel& channel, int service_id, StatisticsBlock* block);
// Sends code, the id as one byte and `block` for the service to keep as its
// counters. True when the service answered (the answer means nothing else).
bool ResetStatistics(const ServiceChannel& channel, int service_id, const StatisticsBlock& block);
// Sends the code alone to the POP3 service. True when an answer came;
// `status` then holds its first 40 bytes, zero-filled (all zero on failure).
bool RequestMigrationStatus(const ServiceChannel& channel, MigrationStatus* status);
// Sends code and the text "<id>;1" for finished sessions, "<id>;0" for
// current ones. The SessionRecords the service answered, one after the
// other; nullopt when no answer came.
std::optional<std::string> RequestSessions(const ServiceChannel& channel, int service_id,
                                           bool history);

// A call on the groupware service: the call name, the session (or, for
// "LoginUser", the login name), the main and the second argument.
struct GroupwareRequest {
  std::string_view call;
  std::string_view session;
  std::string_view argument;
  std::string_view second;
};
// Sends code, the length of the rest of the message counted from the length
// field itself, then the Base64 of the four fields and of an always empty
// fifth, separated by ";". The call's result text; nullopt when no answer
// came. "LoginUser" answers the session text, empty when the login failed.
std::optional<std::string> GroupwareCall(const ServiceChannel& channel,
                                         const GroupwareRequest& request);

}  // namespace tarvelin
