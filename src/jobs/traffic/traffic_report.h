// The user statistics (traffic) report: one comma-separated line per user
// account of the domains and accounts the filter lets through, with its
// counters over a date range (statistics_files.h), its access dates and
// the size of its mailbox; then, without a filter, the line of the
// server's own statistics in the mail root; then the totals line. Summed
// (one value per counter) or per day (each counter field lists the days
// From to To, each value followed by ";"; the server and totals lines stay
// summed). Lines end with CR LF and go out one at a time as they are made.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

struct TrafficReportRequest {
  // Both ends included: whole days (report_dates.h).
  double from = 0;
  double to = 0;
  std::string filter;  // report_filter.h
  bool per_day = false;
};

// Takes each line, CR LF included; a failure stops the report.
using ReportLineSink = std::function<Status(std::string_view line)>;
// `done` of `total` accounts of the filtered domains walked so far.
using ReportProgress = std::function<void(int done, int total)>;

inline constexpr std::string_view kTrafficReportHeader =
    "[Domain],[Alias],[Received Messages],[Received Amount],[Sent Messages],[Sent Amount],"
    "[Sent Out Messages],[Sent Out Amount],[Last Sent],[Last Received],[Last Login],"
    "[Messages Count],[Messages Amount]\r\n";

// Writes the whole report to `sink`. A domain whose accounts cannot be
// walked is passed over; only a failure of the sink fails the report.
Status WriteTrafficReport(const Context& context, const TrafficReportRequest& request,
                          const ReportLineSink& sink, const ReportProgress& progress = {});

// The report as the file `path`, which it replaces only when complete:
// written to a temporary file beside it and renamed over it, so a report
// that fails leaves an earlier file as it was. IOError when the file
// cannot be created or written.
Status WriteTrafficReportFile(const Context& context, const TrafficReportRequest& request,
                              std::string_view path, const ReportProgress& progress = {});

}  // namespace tarvelin
