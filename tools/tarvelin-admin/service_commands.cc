#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli_context.h"
#include "cli_values.h"
#include "core/config/config_save.h"
#include "foundation/date_time.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "platform/local_now.h"
#include "platform/file_system.h"
#include "services/service_control.h"
#include "services/service_ids.h"
#include "services/service_requests.h"
#include "services/session_record.h"
#include "services/statistics_block.h"
#include "tarvelin/api.h"

namespace tarvelin::cli {

namespace {

constexpr int kLdap = 7, kFtp = 10;
// The switches without which LDAP and FTP do not run inside the control
// program, whatever its state.
constexpr int32_t kLdapSwitchSetting = 109, kFtpSwitchSetting = 422;

struct Service {
  int id;
  std::string label;  // "POP3 (1)"
};

Service ParseService(const std::string& text) {
  int id = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  const bool number = error == std::errc() && end == text.data() + text.size();
  if (!number) id = ServiceIdOfText(text).value_or(-1);
  if (FindServiceNames(id) == nullptr) {
    throw CommandError("unknown service " + text +
                       " (give SMTP, POP3, CONTROL, IM, GW, LDAP, IMAP, FTP, SIP or their numbers "
                       "0, 1, 2, 3, 4, 7, 8, 10, 12)");
  }
  return {id, std::string(ServiceText(id)) + " (" + std::to_string(id) + ")"};
}

bool SwitchOn(int32_t setting) {
  uint8_t flag = 0;
  return ::GetConfigSetting(setting, &flag, 1) == 1 && flag != 0;
}

// LDAP and FTP run inside the control program only while switched on.
bool Running(const ServiceChannel& channel, int id) {
  if (!channel.IsServiceRunning(id)) return false;
  if (id == kLdap) return SwitchOn(kLdapSwitchSetting);
  if (id == kFtp) return SwitchOn(kFtpSwitchSetting);
  return true;
}

void Status(const Output& out, const std::vector<std::string>& texts) {
  std::vector<Service> services;
  for (const std::string& text : texts) services.push_back(ParseService(text));
  if (services.empty()) {
    for (int id : KnownServiceIds()) services.push_back(ParseService(std::to_string(id)));
  }
  const ServiceChannel channel = TheContext().Channel();
  nlohmann::json all = nlohmann::json::array();
  std::string human;
  for (const Service& service : services) {
    const bool running = Running(channel, service.id);
    all.push_back({{"id", service.id},
                   {"service", ServiceText(service.id)},
                   {"name", FindServiceNames(service.id)->service_name},
                   {"running", running}});
    human += service.label + "\t" + (running ? "running" : "not running") + "\n";
  }
  out.Emit(all, human);
}

void Stats(const Output& out, const Service& service) {
  const ServiceChannel channel = TheContext().Channel();
  if (!Running(channel, service.id)) throw CommandError(service.label + " is not running");
  StatisticsBlock block;
  if (!RequestStatistics(channel, service.id, &block)) {
    throw CommandError(service.label + " did not answer the statistics request");
  }
  const double start = StatisticsStartTime(block);
  // Running time in whole seconds; a start time that is no number has none.
  const double seconds = std::trunc((LocalNowAsDateTime(TheContext().env()) - start) * 86400);
  const bool known = std::isfinite(seconds) && std::fabs(seconds) < 9e15;
  const nlohmann::json running =
      known ? nlohmann::json(static_cast<int64_t>(seconds)) : nlohmann::json(nullptr);
  nlohmann::json counters = nlohmann::json::array();
  std::ostringstream human;
  human << "service\t" << service.label << "\n"
        << "started\t" << DateTimeText(start) << "\n"
        << "running for\t" << (known ? running.dump() + " s" : "unknown") << "\n";
  for (const StatisticsCounter& counter : StatisticsCounters()) {
    const int64_t value = ReadStatisticsCounter(block, counter);
    counters.push_back({{"property", counter.property},
                        {"offset", counter.offset},
                        {"bytes", counter.width == 8},
                        {"value", value}});
    human << "property " << counter.property << "\t" << value
          << (counter.width == 8 ? " bytes" : "") << "\n";
  }
  out.Emit({{"id", service.id},
            {"service", ServiceText(service.id)},
            {"start_time", DateTimeText(start)},
            {"start_time_value", start},
            {"running_seconds", running},
            {"counters", counters}},
           human.str());
}

void Sessions(const Output& out, const Service& service, bool history) {
  const std::optional<std::string> answer =
      RequestSessions(TheContext().Channel(), service.id, history);
  if (!answer) throw CommandError(service.label + " did not answer the sessions request");
  nlohmann::json rows = nlohmann::json::array();
  std::string human = "id\tstatus\tduration\thandle\tstart\tserver\tvolume\tip\tval\n";
  const std::vector<SessionRecord> records = ParseSessionRecords(*answer);
  for (const SessionRecord& r : records) {
    rows.push_back({{"id", r.id},
                    {"status", r.status},
                    {"duration", r.duration},
                    {"handle", r.handle},
                    {"start", DateTimeText(r.start)},
                    {"start_value", r.start},
                    {"server", r.server},
                    {"volume", r.volume},
                    {"ip", r.ip},
                    {"val", r.val}});
    human += std::to_string(r.id) + "\t" + std::to_string(r.status) + "\t" +
             std::to_string(r.duration) + "\t" + std::to_string(r.handle) + "\t" +
             DateTimeText(r.start) + "\t" + std::to_string(r.server) + "\t" +
             std::to_string(r.volume) + "\t" + r.ip + "\t" + r.val + "\n";
  }
  out.Emit(rows, records.empty() ? "(no sessions)" : human);
}

void StartOrStop(const Output& out, const Service& service, bool start) {
  const std::string program = ServiceProgramPath(TheContext().api.install_path, service.id);
  if (program.empty()) {
    throw CommandError(service.label + " has no program of its own; it runs inside the " +
                       FindServiceNames(service.id)->service_name + " program");
  }
  if (start && !FileExists(TheContext().env(), program)) throw CommandError("no program file " + program);
  const Context& context = TheContext();
  const ServiceChannel channel = context.Channel();
  const bool was_running = channel.IsServiceRunning(service.id);
  if (was_running != start) {
    StartStopService(context.api.install_path, channel, service.id, start, /*wait=*/true);
  }
  const std::optional<int64_t> pid = channel.RunningPid(service.id);
  if (start && !pid) throw CommandError(service.label + " did not come up within 10 seconds");
  if (!start && pid) throw CommandError(service.label + " is still running");
  const std::string state = start ? "running" : "stopped";
  nlohmann::json answer = {{"id", service.id},
                           {"service", ServiceText(service.id)},
                           {"program", program},
                           {"state", state},
                           {"changed", was_running != start}};
  if (pid) answer["pid"] = *pid;
  out.Emit(answer, service.label + " " + (was_running == start ? "was already " : "") + state +
                       (pid ? " (pid " + std::to_string(*pid) + ")" : ""));
}

void Reload(const Output& out) {
  if (ReloadServices(TheContext().Channel()) != 1) {
    throw CommandError("the control service is not running");
  }
  out.Emit({{"reload", "sent"}}, "the control service reloads the services");
}

}  // namespace

void RegisterServiceCommands(CLI::App& app, Session& session) {
  CLI::App* service = app.add_subcommand("service", "The running server services");
  service->require_subcommand(1);
  static std::vector<std::string> ids;
  static std::string id;
  static bool history = false;
  const std::string id_help = "SMTP, POP3, CONTROL, IM, GW, LDAP, IMAP, FTP, SIP or the number";

  CLI::App* status = service->add_subcommand("status", "Show which services run");
  status->add_option("ID", ids, id_help + " (default: all)");
  status->callback([&session] {
    session.Open();
    Status(session.out, ids);
  });

  CLI::App* stats = service->add_subcommand("stats", "Show a service's counters");
  stats->add_option("ID", id, id_help)->required();
  stats->callback([&session] {
    session.Open();
    Stats(session.out, ParseService(id));
  });

  CLI::App* sessions = service->add_subcommand("sessions", "List a service's sessions");
  sessions->add_option("ID", id, id_help)->required();
  sessions->add_flag("--history", history, "Finished sessions instead of current ones");
  sessions->callback([&session] {
    session.Open();
    Sessions(session.out, ParseService(id), history);
  });

  CLI::App* start = service->add_subcommand("start", "Start a service and wait until it runs");
  start->add_option("ID", id, id_help)->required();
  start->callback([&session] {
    session.Open();
    StartOrStop(session.out, ParseService(id), /*start=*/true);
  });

  CLI::App* stop = service->add_subcommand("stop", "Stop a service, ending it after 10 seconds");
  stop->add_option("ID", id, id_help)->required();
  stop->callback([&session] {
    session.Open();
    StartOrStop(session.out, ParseService(id), /*start=*/false);
  });

  CLI::App* reload = service->add_subcommand("reload", "Ask the control service to reload");
  reload->callback([&session] {
    session.Open();
    Reload(session.out);
  });
}

}  // namespace tarvelin::cli
