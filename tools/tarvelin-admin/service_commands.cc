// `service ...`: the running server services.
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/service_operations.h"
#include "schema/setting_text.h"

namespace tarvelin::cli {

namespace {

int ServiceOf(const std::string& text) { return Checked(ServiceIdOf(text)); }

void ServiceStatus(Session& session, const std::vector<std::string>& texts) {
  std::vector<int> services;
  for (const std::string& text : texts) services.push_back(ServiceOf(text));
  if (services.empty()) services = ServiceIds();
  nlohmann::json all = nlohmann::json::array();
  std::string human;
  for (int id : services) {
    const bool running = ServiceRuns(session.context(), id);
    all.push_back({{"id", id},
                   {"service", ServiceShortText(id)},
                   {"name", ServiceName(id)},
                   {"running", running}});
    human += ServiceLabel(id) + "\t" + (running ? "running" : "not running") + "\n";
  }
  session.out.Emit(all, human);
}

void Stats(Session& session, int id) {
  const ServiceStatistics statistics = Checked(ServiceStatisticsOf(session.context(), id));
  const nlohmann::json running = statistics.running_seconds
                                     ? nlohmann::json(*statistics.running_seconds)
                                     : nlohmann::json(nullptr);
  const std::string started = DateTimeText(statistics.start_time);
  nlohmann::json counters = nlohmann::json::array();
  std::string human = "service\t" + ServiceLabel(id) + "\nstarted\t" + started + "\nrunning for\t" +
                      (statistics.running_seconds ? running.dump() + " s" : "unknown") + "\n";
  for (const ServiceCounter& counter : statistics.counters) {
    counters.push_back({{"property", counter.property},
                        {"offset", counter.offset},
                        {"bytes", counter.bytes},
                        {"value", counter.value}});
    human += "property " + std::to_string(counter.property) + "\t" + std::to_string(counter.value) +
             (counter.bytes ? " bytes" : "") + "\n";
  }
  session.out.Emit({{"id", id},
                    {"service", ServiceShortText(id)},
                    {"start_time", started},
                    {"start_time_value", statistics.start_time},
                    {"running_seconds", running},
                    {"counters", counters}},
                   human);
}

void Sessions(Session& session, int id, bool history) {
  const std::vector<SessionRecord> records =
      Checked(ServiceSessions(session.context(), id, history));
  nlohmann::json rows = nlohmann::json::array();
  std::string human = "id\tstatus\tduration\thandle\tstart\tserver\tvolume\tip\tval\n";
  for (const SessionRecord& r : records) {
    const std::string start = DateTimeText(r.start);
    rows.push_back({{"id", r.id},
                    {"status", r.status},
                    {"duration", r.duration},
                    {"handle", r.handle},
                    {"start", start},
                    {"start_value", r.start},
                    {"server", r.server},
                    {"volume", r.volume},
                    {"ip", r.ip},
                    {"val", r.val}});
    human += std::to_string(r.id) + "\t" + std::to_string(r.status) + "\t" +
             std::to_string(r.duration) + "\t" + std::to_string(r.handle) + "\t" + start + "\t" +
             std::to_string(r.server) + "\t" + std::to_string(r.volume) + "\t" + r.ip + "\t" +
             r.val + "\n";
  }
  session.out.Emit(rows, records.empty() ? "(no sessions)" : human);
}

void StartOrStop(Session& session, int id, bool start) {
  const ServiceChange change =
      Checked(start ? StartService(session.context(), id) : StopService(session.context(), id));
  const std::string state = start ? "running" : "stopped";
  nlohmann::json answer = {{"id", id},
                           {"service", ServiceShortText(id)},
                           {"program", change.program},
                           {"state", state},
                           {"changed", change.changed}};
  if (change.pid) answer["pid"] = *change.pid;
  session.out.Emit(answer, ServiceLabel(id) + " " + (change.changed ? "" : "was already ") + state +
                               (change.pid ? " (pid " + std::to_string(*change.pid) + ")" : ""));
}

void Reload(Session& session) {
  Check(ReloadServerServices(session.context()));
  session.out.Emit({{"reload", "sent"}}, "the control service reloads the services");
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
    ServiceStatus(session, ids);
  });

  CLI::App* stats = service->add_subcommand("stats", "Show a service's counters");
  stats->add_option("ID", id, id_help)->required();
  stats->callback([&session] {
    session.Open();
    Stats(session, ServiceOf(id));
  });

  CLI::App* sessions = service->add_subcommand("sessions", "List a service's sessions");
  sessions->add_option("ID", id, id_help)->required();
  sessions->add_flag("--history", history, "Finished sessions instead of current ones");
  sessions->callback([&session] {
    session.Open();
    Sessions(session, ServiceOf(id), history);
  });

  CLI::App* start = service->add_subcommand("start", "Start a service and wait until it runs");
  start->add_option("ID", id, id_help)->required();
  start->callback([&session] {
    session.Open();
    StartOrStop(session, ServiceOf(id), /*start=*/true);
  });

  CLI::App* stop = service->add_subcommand("stop", "Stop a service, ending it after 10 seconds");
  stop->add_option("ID", id, id_help)->required();
  stop->callback([&session] {
    session.Open();
    StartOrStop(session, ServiceOf(id), /*start=*/false);
  });

  CLI::App* reload = service->add_subcommand("reload", "Ask the control service to reload");
  reload->callback([&session] {
    session.Open();
    Reload(session);
  });
}

}  // namespace tarvelin::cli
