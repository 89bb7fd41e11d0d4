// What a management program asks of the installation's running services:
// which run, their counters and sessions, starting and stopping their
// programs, and the reload of the server services. Services are named by
// their number or their short text ("SMTP", "POP3", ...); refusals name the
// service as "POP3 (1)".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "services/session_record.h"

namespace tarvelin {

class Context;

// The service a text names: a known number, or a short text in any case;
// NotFound for any other text.
Result<int> ServiceIdOf(std::string_view text);
// Every service id, in increasing order.
const std::vector<int>& ServiceIds();
// "POP3"; and the name its socket and pid file carry, "TarvelinPOP3".
std::string ServiceShortText(int service_id);
std::string ServiceName(int service_id);
// "POP3 (1)".
std::string ServiceLabel(int service_id);

// Whether the service runs: its program runs, and for LDAP and FTP, which
// run inside the control program, their switch (settings 109 and 422) is on.
bool ServiceRuns(const Context& context, int service_id);

struct ServiceCounter {
  int property;  // the property number that names it
  int offset;    // in the statistics block
  bool bytes;    // a byte count
  int64_t value;
};

struct ServiceStatistics {
  double start_time = 0;  // local date-time
  // Whole seconds since then; none for a start time that is no number.
  std::optional<int64_t> running_seconds;
  std::vector<ServiceCounter> counters;  // in block order
};

// The service's counters; Unavailable when it does not run (nothing is
// sent then) or does not answer.
Result<ServiceStatistics> ServiceStatisticsOf(const Context& context, int service_id);
// Its current sessions, or with `history` the finished ones; Unavailable
// when it does not answer.
Result<std::vector<SessionRecord>> ServiceSessions(const Context& context, int service_id,
                                                   bool history);

struct ServiceChange {
  std::string program;         // the program file
  bool changed = false;        // false when it ran (or was stopped) already
  std::optional<int64_t> pid;  // while it runs
};

// Starts the service's program and waits until it runs (10 seconds at
// most); stops it, ending it after 10 seconds. NotFound for a service
// without a program of its own and, on start, for a missing program file;
// Unavailable when it did not come up, or is still running.
Result<ServiceChange> StartService(const Context& context, int service_id);
Result<ServiceChange> StopService(const Context& context, int service_id);

// Asks the control service to reload the server services; Unavailable when
// it does not run.
Status ReloadServerServices(const Context& context);

}  // namespace tarvelin
