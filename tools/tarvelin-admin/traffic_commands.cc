// `report traffic FROM TO`: the traffic report of the user accounts, to
// standard output or a file, with a progress bar on a terminal.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli_context.h"
#include "import_progress.h"
#include "interruption.h"
#include "jobs/traffic/report_dates.h"
#include "jobs/traffic/traffic_report.h"
#include "terminal.h"

namespace tarvelin::cli {

namespace {

struct TrafficOptions {
  std::string from;
  std::string to;
  std::string filter;
  bool per_day = false;
  std::string output;
};

// The export reads a bad date as 30 December 1899, which would silently
// count nothing; here it is refused.
double DateArgument(const char* name, const std::string& text) {
  const std::optional<double> day = ParseReportDate(text);
  if (!day) {
    throw CommandError(std::string(name) + " '" + text +
                           "' is no valid date: give year/month/day, as 2006/03/31",
                       ExitCode::kUsage);
  }
  return *day;
}

void ReportTraffic(Session& session, const TrafficOptions& options) {
  const TrafficReportRequest request{.from = DateArgument("FROM", options.from),
                                     .to = DateArgument("TO", options.to),
                                     .filter = options.filter,
                                     .per_day = options.per_day};
  if (request.to < request.from) session.out.Warn("TO is before FROM: no day is counted");
  session.Open();

  const Interruption interruption;
  const bool bar = StandardErrorIsTerminal();
  std::unique_ptr<ImportProgress> progress;
  // Called at each account: a Ctrl-C stops the report there, before a
  // file of it replaces an earlier one.
  const ReportProgress show = [&](int done, int total) {
    if (interruption.requested()) throw CommandError("interrupted", ExitCode::kInterrupted);
    if (!bar) return;
    if (progress == nullptr) progress = std::make_unique<ImportProgress>(total);
    progress->Show(done);
  };

  if (options.output.empty()) {
    const Status status = WriteTrafficReport(
        session.context(), request,
        [&](std::string_view line) -> Status {
          if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) {
            return Status::IOError("write standard output", errno);
          }
          return Status::Ok();
        },
        show);
    progress.reset();
    if (status.ok() && std::fflush(stdout) != 0) {
      Check(Status::IOError("write standard output", errno), "cannot write the report");
    }
    Check(status, "cannot write the report");
    return;
  }

  const Status status = WriteTrafficReportFile(
      session.context(), request, options.output, show);
  progress.reset();
  Check(status, "cannot write the report to " + options.output);
  session.out.Emit({{"file", options.output},
                    {"from", options.from},
                    {"to", options.to},
                    {"filter", options.filter},
                    {"per_day", options.per_day}},
                   "wrote the traffic report " + options.from + " - " + options.to + " to " +
                       options.output);
}

}  // namespace

void RegisterTrafficCommands(CLI::App& app, Session& session) {
  CLI::App* report = app.add_subcommand("report", "Reports over the accounts");
  report->require_subcommand(1);
  static TrafficOptions options;

  CLI::App* traffic = report->add_subcommand(
      "traffic", "Messages and bytes received and sent per user account between two dates");
  traffic->add_option("FROM", options.from, "First day, year/month/day (2006/03/01)")->required();
  traffic->add_option("TO", options.to, "Last day, year/month/day (2006/03/31)")->required();
  traffic->add_option("--filter", options.filter,
                      "Domains and accounts: ';'-separated domain patterns ('*', '?') and "
                      "local@domain items; all when empty or '*'");
  traffic->add_flag("--per-day", options.per_day,
                    "One value per day, each followed by ';', in each counter column");
  traffic->add_option("-o,--output", options.output,
                      "Write the report to this file (replaced when complete); standard output "
                      "when not given");
  traffic->callback([&session] { ReportTraffic(session, options); });
}

}  // namespace tarvelin::cli
