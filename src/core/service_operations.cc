#include "core/service_operations.h"

#include <charconv>
#include <cmath>

#include "core/config/config_save.h"
#include "core/context.h"
#include "platform/local_now.h"
#include "platform/file_system.h"
#include "schema/server_config.h"
#include "services/service_control.h"
#include "services/service_ids.h"
#include "services/service_requests.h"
#include "services/statistics_block.h"

namespace tarvelin {

namespace {

constexpr int kLdap = 7, kFtp = 10;
// The switches without which LDAP and FTP do not run inside the control
// program, whatever its state.
constexpr int32_t kLdapSwitchSetting = 109, kFtpSwitchSetting = 422;
constexpr double kSecondsPerDay = 86400;
// Beyond this a running time is no time but a broken start time.
constexpr double kRunningSecondsMax = 9e15;

// The two switches are plain flags of the record.
bool SwitchOn(const Context& context, int32_t setting) {
  const ConfigField* field = FindConfigFieldById(setting);
  return field != nullptr && context.config.record.Byte(field->offset) != 0;
}

Status NotRunning(int service_id) {
  return Status::Unavailable(ServiceLabel(service_id) + " is not running");
}

Result<std::string> ProgramOf(const Context& context, int service_id) {
  const std::string program = ServiceProgramPath(context.api.install_path, service_id);
  if (program.empty()) {
    return Status::NotFound(ServiceLabel(service_id) +
                            " has no program of its own; it runs inside the " +
                            ServiceName(service_id) + " program");
  }
  return program;
}

// Starts or stops the program unless it is in that state already.
Result<ServiceChange> Change(const Context& context, int service_id, bool start) {
  const Result<std::string> program = ProgramOf(context, service_id);
  if (!program.ok()) return program.status();
  if (start && !FileExists(context.env(), *program)) return Status::NotFound("no program file " + *program);
  const ServiceChannel channel = context.Channel();
  ServiceChange change;
  change.program = *program;
  change.changed = channel.IsServiceRunning(service_id) != start;
  if (change.changed) {
    StartStopService(context.api.install_path, channel, service_id, start, /*wait=*/true);
  }
  change.pid = channel.RunningPid(service_id);
  if (start && !change.pid) {
    return Status::Unavailable(ServiceLabel(service_id) + " did not come up within 10 seconds");
  }
  if (!start && change.pid) {
    return Status::Unavailable(ServiceLabel(service_id) + " is still running");
  }
  return change;
}

}  // namespace

Result<int> ServiceIdOf(std::string_view text) {
  int id = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  const bool number = error == std::errc() && end == text.data() + text.size();
  if (!number) id = ServiceIdOfText(text).value_or(-1);
  if (ServiceText(id) == nullptr) {
    return Status::NotFound("unknown service " + std::string(text) +
                            " (give SMTP, POP3, CONTROL, IM, GW, LDAP, IMAP, FTP, SIP or their "
                            "numbers 0, 1, 2, 3, 4, 7, 8, 10, 12)");
  }
  return id;
}

const std::vector<int>& ServiceIds() { return KnownServiceIds(); }

std::string ServiceShortText(int service_id) {
  const char* text = ServiceText(service_id);
  return text != nullptr ? text : std::to_string(service_id);
}

std::string ServiceName(int service_id) {
  const ServiceNames* names = FindServiceNames(service_id);
  return names != nullptr ? names->service_name : std::string();
}

std::string ServiceLabel(int service_id) {
  return ServiceShortText(service_id) + " (" + std::to_string(service_id) + ")";
}

bool ServiceRuns(const Context& context, int service_id) {
  if (!context.Channel().IsServiceRunning(service_id)) return false;
  if (service_id == kLdap) return SwitchOn(context, kLdapSwitchSetting);
  if (service_id == kFtp) return SwitchOn(context, kFtpSwitchSetting);
  return true;
}

Result<ServiceStatistics> ServiceStatisticsOf(const Context& context, int service_id) {
  if (!ServiceRuns(context, service_id)) return NotRunning(service_id);
  StatisticsBlock block;
  if (!RequestStatistics(context.Channel(), service_id, &block)) {
    return Status::Unavailable(ServiceLabel(service_id) + " did not answer the statistics request");
  }
  ServiceStatistics statistics;
  statistics.start_time = StatisticsStartTime(block);
  const double seconds =
      std::trunc((LocalNowAsDateTime(context.env()) - statistics.start_time) * kSecondsPerDay);
  if (std::isfinite(seconds) && std::fabs(seconds) < kRunningSecondsMax) {
    statistics.running_seconds = static_cast<int64_t>(seconds);
  }
  for (const StatisticsCounter& counter : StatisticsCounters()) {
    statistics.counters.push_back({counter.property, counter.offset, counter.width == 8,
                                   ReadStatisticsCounter(block, counter)});
  }
  return statistics;
}

Result<std::vector<SessionRecord>> ServiceSessions(const Context& context, int service_id,
                                                   bool history) {
  const std::optional<std::string> answer = RequestSessions(context.Channel(), service_id, history);
  if (!answer) {
    return Status::Unavailable(ServiceLabel(service_id) + " did not answer the sessions request");
  }
  return ParseSessionRecords(*answer);
}

Result<ServiceChange> StartService(const Context& context, int service_id) {
  return Change(context, service_id, /*start=*/true);
}

Result<ServiceChange> StopService(const Context& context, int service_id) {
  return Change(context, service_id, /*start=*/false);
}

Status ReloadServerServices(const Context& context) {
  if (ReloadServices(context.Channel()) != 1) {
    return Status::Unavailable("the control service is not running");
  }
  return Status::Ok();
}

}  // namespace tarvelin
