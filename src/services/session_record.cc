#include "services/session_record.h"

#include "foundation/bytes.h"

namespace tarvelin {

std::vector<SessionRecord> ParseSessionRecords(std::string_view answer) {
  std::vector<SessionRecord> records;
  records.reserve(answer.size() / kSessionRecordSize);
  for (size_t at = 0; at + kSessionRecordSize <= answer.size(); at += kSessionRecordSize) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(answer.data()) + at;
    SessionRecord& record = records.emplace_back();
    record.id = GetLE(p + kSessionIdOffset, 4);
    record.status = p[kSessionStatusOffset];
    record.duration = static_cast<uint16_t>(GetLE(p + kSessionDurationOffset, 2));
    record.handle = GetLE(p + kSessionHandleOffset, 4);
    record.service = p[kSessionServiceOffset];
    record.start = GetDouble(p + kSessionStartOffset);
    record.server = p[kSessionServerOffset];
    record.volume = GetLE(p + kSessionVolumeOffset, 4);
    record.ip = GetPString(p + kSessionIpOffset, kSessionIpCapacity);
    record.val = GetPString(p + kSessionValOffset, kSessionValCapacity);
  }
  return records;
}

}  // namespace tarvelin
