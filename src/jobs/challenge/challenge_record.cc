#include "jobs/challenge/challenge_record.h"

#include <algorithm>
#include <cstring>

#include "foundation/bytes.h"

namespace tarvelin {

namespace {

constexpr int kTextCapacity = 255;

}  // namespace

ChallengeRecord ChallengeRecord::FromBytes(std::string_view bytes) {
  ChallengeRecord record;
  std::memcpy(record.bytes_.data(), bytes.data(), std::min(bytes.size(), kChallengeRecordSize));
  return record;
}

std::string ChallengeRecord::Field(size_t offset) const {
  return GetPString(bytes_.data() + offset, kTextCapacity);
}

void ChallengeRecord::SetField(size_t offset, std::string_view text) {
  std::fill_n(bytes_.data() + offset, kTextCapacity + 1, uint8_t{0});
  PutPString(bytes_.data() + offset, kTextCapacity, text);
}

std::string ChallengeRecord::Bytes() const {
  return std::string(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
}

}  // namespace tarvelin
