#include "core/dns_server_check.h"

#include <cerrno>
#include <optional>
#include <string>

#include "core/context.h"
#include "foundation/dns_message.h"
#include "foundation/text.h"
#include "platform/udp_destination.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

constexpr uint16_t kDnsPort = 53;
constexpr uint32_t kDefaultTimeoutSeconds = 5;
// Larger than any plain UDP answer (512 bytes) and most with EDNS.
constexpr size_t kAnswerMax = 4096;

}  // namespace

Status CheckDnsServer(Context& context, std::string_view servers) {
  const std::string first = Trim(servers.substr(0, servers.find(';')));
  const std::optional<UdpDestination> server = ParseUdpDestination(first, kDnsPort);
  if (!server) return Status::InvalidArgument("no DNS server in \"" + std::string(servers) + "\"");

  uint32_t seconds = context.config.record.Number(offsets::kDnsTimeout, 1);
  if (seconds == 0) seconds = kDefaultTimeoutSeconds;
  const uint16_t id = static_cast<uint16_t>(context.env().RandomUint32());
  const std::string query = *DnsQuery(id, kDnsCheckName, kDnsTypeA);

  Result<std::string> answer = context.env().ExchangeDatagram(
      server->host, server->port, query, kAnswerMax, static_cast<int>(seconds * 1000));
  const std::string name = "DNS server " + first;
  if (!answer.ok()) {
    if (answer.status().sys_errno() == ETIMEDOUT) {
      return Status::Unavailable(name + " gave no answer within " + std::to_string(seconds) +
                                 " s");
    }
    return Status::Unavailable(name + ": " + answer.status().ToString());
  }
  const std::optional<DnsHeader> header = ReadDnsHeader(*answer);
  if (!header || !header->response || header->id != id) {
    return Status::Unavailable(name + " sent something that is no answer to the query");
  }
  if (header->rcode != 0) {
    return Status::Unavailable(name + " answered with error code " +
                               std::to_string(header->rcode));
  }
  if (header->answer_count < 1) return Status::Unavailable(name + " answered without records");
  return Status();
}

}  // namespace tarvelin
