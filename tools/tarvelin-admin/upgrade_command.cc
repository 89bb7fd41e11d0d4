// `upgrade --from VERSION`: the upgrade tasks after the server was updated
// from VERSION. Unlike the automation member, which reads any text as a
// version, the command refuses what is no version text.
#include <map>
#include <string>
#include <vector>

#include "cli_context.h"
#include "core/service_operations.h"
#include "jobs/upgrade/upgrade_tasks.h"
#include "jobs/upgrade/version_number.h"

namespace tarvelin::cli {

namespace {

std::string NotificationText(const SentNotification& sent) {
  const UpgradeNotification& n = sent.notification;
  return ServiceShortText(n.service) + " " + std::to_string(n.first) + "," +
         std::to_string(n.second) + (sent.delivered ? " sent" : " lost (not running)");
}

void Upgrade(Session& session, const std::string& from) {
  if (const Status version = CheckVersionText(from); !version.ok()) {
    throw CommandError(version.message(), ExitCode::kUsage);
  }
  session.OpenToChangeSettings();
  UpgradeRun run;
  const Status status = RunUpgradeTasks(session.context(), from, run);
  Check(status, "the configuration step (8.3.16) failed");

  nlohmann::json notifications = nlohmann::json::array();
  std::map<std::string_view, std::vector<std::string>> by_step;
  for (const SentNotification& sent : run.sent) {
    notifications.push_back({{"step", sent.step.empty() ? "reload" : std::string(sent.step)},
                             {"service", ServiceShortText(sent.notification.service)},
                             {"id", sent.notification.service},
                             {"parameters", {sent.notification.first, sent.notification.second}},
                             {"delivered", sent.delivered}});
    by_step[sent.step].push_back(NotificationText(sent));
  }
  auto joined = [](const std::vector<std::string>& texts) {
    std::string line;
    for (const std::string& text : texts) line += (line.empty() ? "" : "; ") + text;
    return line;
  };
  std::string human = "previous version " + from + " (" + std::to_string(VersionNumber(from)) +
                      ")\nreload: " + joined(by_step[{}]) + "\n";
  std::vector<std::string> steps;
  for (std::string_view step : run.steps) {
    steps.emplace_back(step);
    human += "step " + std::string(step) + ": ";
    if (by_step.count(step) != 0) {
      human += joined(by_step[step]);
    } else {
      human += std::string("configuration written, server addresses ") +
               (run.server_addresses_emptied ? "emptied" : "kept");
    }
    human += "\n";
  }
  if (run.steps.empty()) human += "no step: the version is not older than any threshold\n";
  session.out.Emit({{"previous_version", from},
                    {"version_number", VersionNumber(from)},
                    {"steps", steps},
                    {"notifications", notifications},
                    {"configuration_written", run.configuration_written},
                    {"server_addresses_emptied", run.server_addresses_emptied}},
                   human);
}

}  // namespace

void RegisterUpgradeCommand(CLI::App& app, Session& session) {
  static std::string from;
  CLI::App* upgrade =
      app.add_subcommand("upgrade", "Run the upgrade tasks after an update of the server");
  upgrade->add_option("--from", from, "The version installed before (MAJOR.MINOR.PATCH[-BUILD])")
      ->required();
  upgrade->callback([&session] { Upgrade(session, from); });
}

}  // namespace tarvelin::cli
