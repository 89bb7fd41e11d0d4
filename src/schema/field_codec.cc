#include "schema/field_codec.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "foundation/bytes.h"
#include "schema/marshal.h"

namespace tarvelin {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int32_t kDateSize = 8;

// A stored double as the signed 32-bit number the caller sees; values out
// of range saturate and a NaN reads as 0, so no stored pattern is undefined.
int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint32_t AsUnsigned(int32_t value) { return static_cast<uint32_t>(value); }
int32_t AsSigned(uint32_t value) { return static_cast<int32_t>(value); }

// `length` characters from `at`, in place.
std::string_view CharactersAt(const uint8_t* at, int length) {
  return {reinterpret_cast<const char*>(at), static_cast<size_t>(length)};
}

// The text of a field in place, as GetPString reads it: a length byte
// above the capacity reads as the capacity.
std::string_view TextAt(const uint8_t* at, int capacity) {
  return CharactersAt(at + 1, std::min<int>(at[0], capacity));
}

uint8_t BitOf(uint8_t byte, int bit) { return static_cast<uint8_t>((byte >> bit) & 1); }

uint8_t WithBit(uint8_t byte, int bit, bool on) {
  const auto mask = static_cast<uint8_t>(1u << bit);
  return static_cast<uint8_t>(on ? byte | mask : byte & ~mask);
}

}  // namespace

Result<int32_t> GetField(const uint8_t* record, FieldSlot field, void* buffer, int32_t size) {
  const uint8_t* at = record + field.offset;
  switch (field.kind) {
    case FieldKind::kFlag:
      return PutFlag(at[0], buffer, size);
    case FieldKind::kInvertedFlag:
      return PutFlag(at[0] ^ 1, buffer, size);
    case FieldKind::kBit:
      return PutFlag(BitOf(at[0], field.bit), buffer, size);
    case FieldKind::kInvertedBit:
      return PutFlag(BitOf(at[0], field.bit) ^ 1, buffer, size);
    case FieldKind::kNumber:
      return PutNumber(GetLE(at, field.width), buffer, size);
    case FieldKind::kText:
      return PutText(TextAt(at, field.width - 1), buffer, size);
    case FieldKind::kCharacter:
      return PutText(CharactersAt(at, 1), buffer, size);
    case FieldKind::kBlock:
      return PutBlock(at, field.width, buffer, size);
    case FieldKind::kDate:
      return PutDate(GetDouble(at), buffer, size);
    case FieldKind::kTimeOfDay:
      // Half-way values go to the even second (the default rounding mode).
      return PutNumber(AsUnsigned(ToInt32(std::nearbyint(GetDouble(at) * kSecondsPerDay))), buffer,
                       size);
    case FieldKind::kWholeNumber:
      return PutNumber(AsUnsigned(ToInt32(std::trunc(GetDouble(at)))), buffer, size);
    case FieldKind::kPacked:
      return PutText(PackRecord(at, field.width), buffer, size);
  }
  return Status::InvalidArgument("field kind " + std::to_string(static_cast<int>(field.kind)) +
                                 " is unknown");
}

Status SetField(uint8_t* record, FieldSlot field, const void* value, int32_t size) {
  uint8_t* at = record + field.offset;
  switch (field.kind) {
    case FieldKind::kFlag:
      at[0] = TakeFlag(value, size);
      break;
    case FieldKind::kInvertedFlag:
      at[0] = TakeFlag(value, size) ^ 1;
      break;
    case FieldKind::kBit:
      at[0] = WithBit(at[0], field.bit, TakeFlag(value, size) != 0);
      break;
    case FieldKind::kInvertedBit:
      at[0] = WithBit(at[0], field.bit, TakeFlag(value, size) == 0);
      break;
    case FieldKind::kNumber:
      PutLE(at, field.width, TakeNumber(value, size));
      break;
    case FieldKind::kText:
      PutPString(at, field.width - 1, TakeText(value, size));
      break;
    case FieldKind::kCharacter: {
      const std::string text = TakeText(value, size);
      at[0] = text.empty() ? 0 : static_cast<uint8_t>(text[0]);
      break;
    }
    case FieldKind::kBlock:
      TakeBlock(value, size, at, field.width);
      break;
    case FieldKind::kDate:
      // A short buffer holds no date; a stand-in value would date the
      // record to 1899 and expire it.
      if (value == nullptr || size < kDateSize) {
        return Status::BufferTooSmall("a date needs 8 bytes, the buffer has " +
                                      std::to_string(value == nullptr ? 0 : size));
      }
      PutDouble(at, TakeDate(value, size));
      break;
    case FieldKind::kTimeOfDay:
      PutDouble(at, AsSigned(TakeNumber(value, size)) / kSecondsPerDay);
      break;
    case FieldKind::kWholeNumber:
      PutDouble(at, AsSigned(TakeNumber(value, size)));
      break;
    case FieldKind::kPacked:
      UnpackRecord(value, size, at, field.width);
      break;
  }
  return Status::Ok();
}

}  // namespace tarvelin
