#include "api/automation/statistics_object.h"

#include <cstring>

#include "api/automation/automation_server.h"
#include "api/automation/low_bits.h"
#include "api/automation/property_access.h"
#include "api/automation/sessions_report.h"
#include "core/context.h"
#include "core/service_operations.h"
#include "foundation/bytes.h"
#include "platform/local_now.h"
#include "services/service_control.h"
#include "services/service_ids.h"
#include "services/service_requests.h"

namespace tarvelin::automation {

namespace {

constexpr int32_t kStartTimeProperty = 0;
constexpr int32_t kRunningSecondsProperty = 26;
constexpr double kSecondsPerDay = 86400;
constexpr int64_t kBytesPerKilobyte = 1024;

std::string FourBytes(uint32_t value) {
  std::string bytes(4, '\0');
  PutLE(reinterpret_cast<uint8_t*>(bytes.data()), 4, value);
  return bytes;
}

// The raw bytes of a property: the start time as its double, the byte
// counters in kilobytes, the running time in seconds, the other counters
// as they are; empty for a property without a value.
std::string PropertyBytes(const StatisticsBlock& block, int32_t property, double now) {
  if (property == kStartTimeProperty) {
    return std::string(reinterpret_cast<const char*>(block.data()) + kStatisticsStartTimeOffset, 8);
  }
  if (property == kRunningSecondsProperty) {
    return FourBytes(Low32BitsOf((now - StatisticsStartTime(block)) * kSecondsPerDay));
  }
  for (const StatisticsCounter& counter : StatisticsCounters()) {
    if (counter.property != property) continue;
    int64_t value = ReadStatisticsCounter(block, counter);
    if (counter.width == 8) value /= kBytesPerKilobyte;
    return FourBytes(static_cast<uint32_t>(value));
  }
  return std::string();
}

std::string ServiceTextOf(const Variant& service) {
  return service.ToText().value_or(std::string());
}

}  // namespace

const ClassInfo& StatisticsObject::Info() {
  using P = Param;
  using S = StatisticsObject;
  static const ClassInfo info{
      *registration::ClassIdsNamed("StatisticsObject"),
      {
          MemberOf<S>("IsRunning", 0xc9, kMethod, {P::kText},
                      [](S& self, const Arguments& a) {
                        return Variant::Bool(self.IsRunning(a.Text(0)));
                      }),
          MemberOf<S>("Reset", 0xca, kMethod, {P::kText},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Reset(a.Text(0))); }),
          MemberOf<S>("Poll", 0xcb, kMethod, {P::kText},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Poll(a.Text(0))); }),
          MemberOf<S>("GetProperty", 0xcc, kMethod, {P::kVariant},
                      [](S& self, const Arguments& a) { return self.GetProperty(a.Value(0)); }),
          MemberOf<S>("Start", 0xcd, kMethod, {P::kVariant},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Start(a.Value(0))); }),
          MemberOf<S>("Stop", 0xce, kMethod, {P::kVariant},
                      [](S& self, const Arguments& a) { return Variant::Bool(self.Stop(a.Value(0))); }),
          MemberOf<S>("GetSessions", 0xcf, kMethod, {P::kText, P::kBool},
                      [](S& self, const Arguments& a) {
                        return Variant::Text(self.GetSessions(a.Text(0), a.Bool(1)));
                      }),
      },
      [](AutomationServer& server) -> AutomationObject* { return new StatisticsObject(server); }};
  return info;
}

int StatisticsObject::Use(const std::string& service) {
  service_id_ = ServiceIdOfText(service).value_or(0);
  return service_id_;
}

bool StatisticsObject::IsRunning(const std::string& service) {
  return ServiceRuns(context(), Use(service));
}

bool StatisticsObject::Poll(const std::string& service) {
  block_.fill(0);
  int id = Use(service);
  const ServiceChannel channel = context().Channel();
  if (!channel.IsServiceRunning(id)) return false;
  return RequestStatistics(channel, id, &block_);
}

bool StatisticsObject::Reset(const std::string& service) {
  int id = Use(service);
  const ServiceChannel channel = context().Channel();
  if (!channel.IsServiceRunning(id)) return false;
  Poll(service);
  const double start_time = StatisticsStartTime(block_);
  block_.fill(0);
  std::memcpy(block_.data() + kStatisticsStartTimeOffset, &start_time, sizeof start_time);
  return ResetStatistics(channel, id, block_);
}

Variant StatisticsObject::GetProperty(const Variant& command) {
  ResolvedProperty property = ResolveProperty(context().properties(), command);
  if (!context().api.initialised) return Variant();
  std::string bytes = PropertyBytes(block_, property.number, LocalNowAsDateTime(context().env()));
  if (bytes.empty()) return Variant();
  return ValueToVariant(property.kind, std::span<const uint8_t>(
                                           reinterpret_cast<const uint8_t*>(bytes.data()),
                                           bytes.size()));
}

bool StatisticsObject::Start(const Variant& service) {
  int id = Use(ServiceTextOf(service));
  StartStopService(context().api.install_path, context().Channel(), id, /*start=*/true,
                   /*wait=*/false);
  return true;
}

bool StatisticsObject::Stop(const Variant& service) {
  int id = Use(ServiceTextOf(service));
  StartStopService(context().api.install_path, context().Channel(), id, /*start=*/false,
                   /*wait=*/true);
  return true;
}

std::string StatisticsObject::GetSessions(const std::string& service, bool history) {
  int id = Use(service);
  std::optional<std::string> answer = RequestSessions(context().Channel(), id, history);
  if (!answer) return std::string();
  return SessionsReport(ParseSessionRecords(*answer), server().code_page());
}

}  // namespace tarvelin::automation
