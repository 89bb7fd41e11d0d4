#include "api/c/traffic_report_export.h"

#include "api/c/api_result.h"
#include "jobs/traffic/report_dates.h"
#include "jobs/traffic/traffic_report.h"

namespace tarvelin::capi {

namespace {

std::string_view TextOf(const char* text) { return text == nullptr ? "" : text; }

}  // namespace

int32_t GetUserStat(const Context& context, const char* from, const char* to, const char* filter,
                    const char* output_file, bool per_day) {
  if (output_file == nullptr) return kResultBufferTooSmall;
  const TrafficReportRequest request{.from = ReportDateOrZero(TextOf(from)),
                                     .to = ReportDateOrZero(TextOf(to)),
                                     .filter = std::string(TextOf(filter)),
                                     .per_day = per_day};
  return WriteTrafficReportFile(context, request, output_file).ok() ? 0 : kResultFailed;
}

}  // namespace tarvelin::capi
