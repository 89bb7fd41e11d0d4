// One session as a service reports it: 122 packed little-endian bytes. The
// sessions answer is a run of these; a tail shorter than a record is no
// record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

inline constexpr size_t kSessionRecordSize = 122;

struct SessionRecord {
  uint32_t id = 0;        // the thread serving the session
  uint8_t status = 0;     // 0 while open
  uint16_t duration = 0;  // whole seconds, set when the session ends
  uint32_t handle = 0;    // the connection's socket
  uint8_t service = 0;    // the ServiceId the session is kept under
  double start = 0;       // local date-time the session began
  uint8_t server = 0;
  uint32_t volume = 0;
  std::string ip;   // capacity 31
  std::string val;  // capacity 63
};

// Where each field lies in the record.
inline constexpr int kSessionIdOffset = 0, kSessionStatusOffset = 4, kSessionDurationOffset = 5,
                     kSessionHandleOffset = 8, kSessionServiceOffset = 12, kSessionStartOffset = 13,
                     kSessionServerOffset = 21, kSessionVolumeOffset = 22, kSessionIpOffset = 26,
                     kSessionValOffset = 58;
inline constexpr int kSessionIpCapacity = 31, kSessionValCapacity = 63;

std::vector<SessionRecord> ParseSessionRecords(std::string_view answer);

}  // namespace tarvelin
