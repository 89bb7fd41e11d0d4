#include "services/service_requests.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/base64.h"
#include "foundation/bytes.h"

namespace tarvelin {

namespace {

constexpr int kPop3 = 1;
constexpr int kGroupware = 4;
constexpr size_t kAnswerMax = 2048;
constexpr size_t kSessionsRequestMax = 255;

void AppendLE32(std::string* out, uint32_t value) {
  uint8_t bytes[4];
  PutLE(bytes, 4, value);
  out->append(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string CodeAndId(uint32_t code, int service_id) {
  std::string request;
  AppendLE32(&request, code);
  request += static_cast<char>(static_cast<uint8_t>(service_id));
  return request;
}

// The answer's first bytes into `area`; what the answer lacks stays zero.
template <size_t N>
bool KeepPrefix(const std::optional<std::string>& answer, std::array<uint8_t, N>* area) {
  area->fill(0);
  if (!answer) return false;
  std::memcpy(area->data(), answer->data(), std::min(N, answer->size()));
  return true;
}

}  // namespace

bool RequestStatistics(const ServiceChannel& channel, int service_id, StatisticsBlock* block) {
  return KeepPrefix(
      channel.Exchange(service_id, CodeAndId(kStatisticsCode, service_id), kAnswerMax), block);
}

bool ResetStatistics(const ServiceChannel& channel, int service_id, const StatisticsBlock& block) {
  std::string request = CodeAndId(kStatisticsResetCode, service_id);
  request.append(reinterpret_cast<const char*>(block.data()), block.size());
  return channel.Exchange(service_id, request, kAnswerMax).has_value();
}

bool RequestMigrationStatus(const ServiceChannel& channel, MigrationStatus* status) {
  std::string request;
  AppendLE32(&request, kMigrationStatusCode);
  return KeepPrefix(channel.Exchange(kPop3, request, kAnswerMax), status);
}

std::optional<std::string> RequestSessions(const ServiceChannel& channel, int service_id,
                                           bool history) {
  std::string request;
  AppendLE32(&request, kSessionsCode);
  request += std::to_string(service_id) + (history ? ";1" : ";0");
  // Ids are small numbers, so this never cuts anything a service reads.
  request.resize(std::min(request.size(), kSessionsRequestMax));
  return channel.ExchangeLengthPrefixed(service_id, request);
}

std::optional<std::string> GroupwareCall(const ServiceChannel& channel,
                                         const GroupwareRequest& request) {
  std::string fields;
  for (std::string_view field : {request.call, request.session, request.argument, request.second}) {
    fields += Base64Encode(field);
    fields += ';';
  }
  // The fifth field is always empty.
  if (fields.size() > std::numeric_limits<uint32_t>::max() - 4) return std::nullopt;
  std::string message;
  AppendLE32(&message, kGroupwareCallCode);
  AppendLE32(&message, static_cast<uint32_t>(4 + fields.size()));
  message += fields;
  return channel.ExchangeLengthPrefixed(kGroupware, message);
}

}  // namespace tarvelin
