#include "schema/setting_value.h"

#include <cstring>
#include <limits>
#include <string>

#include "foundation/bytes.h"

namespace tarvelin {

namespace {

constexpr int32_t kDateTimeSize = 8;
// A text without a capacity (a packed record) is read into a buffer that
// grows up to this size.
constexpr int32_t kTextBufferMax = 16 << 20;
constexpr int32_t kTextBufferStart = 4096;

std::string Plural(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

Status CheckNumberFits(const SettingShape& shape, int64_t number) {
  if (shape.is_signed) {
    if (number >= std::numeric_limits<int32_t>::min() &&
        number <= std::numeric_limits<int32_t>::max()) {
      return Status::Ok();
    }
    return Status::InvalidArgument(std::to_string(number) +
                                   " is outside -2147483648 to 2147483647");
  }
  const int width = shape.size < 1 || shape.size > 4 ? 4 : shape.size;
  const int64_t max = (int64_t{1} << (8 * width)) - 1;
  if (number >= 0 && number <= max) return Status::Ok();
  return Status::InvalidArgument(std::to_string(number) + " does not fit in " +
                                 Plural(width, "byte", "bytes") + " (0 to " + std::to_string(max) +
                                 ")");
}

}  // namespace

Status CheckSettingValueFits(const SettingShape& shape, const SettingValue& value) {
  if (value.kind() != shape.kind) {
    return Status::InvalidArgument(std::string("the setting takes a ") +
                                   SettingKindName(shape.kind) + ", not a " +
                                   SettingKindName(value.kind()));
  }
  switch (value.kind()) {
    case SettingKind::kNumber:
      return CheckNumberFits(shape, value.number());
    case SettingKind::kText:
      if (shape.size > 0 && value.text().size() > static_cast<size_t>(shape.size)) {
        return Status::InvalidArgument(
            "a text of " +
            Plural(static_cast<int64_t>(value.text().size()), "character", "characters") +
            " is longer than the " + std::to_string(shape.size) + " the setting holds");
      }
      return Status::Ok();
    case SettingKind::kBlock:
      if (value.block().size() > static_cast<size_t>(shape.size)) {
        return Status::InvalidArgument(
            "a block of " + Plural(static_cast<int64_t>(value.block().size()), "byte", "bytes") +
            " is longer than the " + std::to_string(shape.size) + " the setting holds");
      }
      return Status::Ok();
    case SettingKind::kFlag:
    case SettingKind::kDateTime:
      return Status::Ok();
  }
  return Status::Ok();
}

Result<SettingValue> SettingValueOfBytes(const SettingShape& shape, const uint8_t* bytes,
                                         int32_t size) {
  const auto too_short = [&](int needed) {
    return Status::Corruption("a " + std::string(SettingKindName(shape.kind)) + " needs " +
                              Plural(needed, "byte", "bytes") + ", the value has " +
                              std::to_string(size));
  };
  switch (shape.kind) {
    case SettingKind::kNumber: {
      if (size < 1) return too_short(1);
      const int width = size > 4 ? 4 : size;
      const uint32_t number = GetLE(bytes, width);
      if (shape.is_signed && width == 4) {
        return SettingValue::Number(static_cast<int32_t>(number));
      }
      return SettingValue::Number(number);
    }
    case SettingKind::kFlag:
      if (size < 1) return too_short(1);
      return SettingValue::Flag(bytes[0] != 0);
    case SettingKind::kDateTime:
      if (size < kDateTimeSize) return too_short(kDateTimeSize);
      return SettingValue::DateTime(GetDouble(bytes));
    case SettingKind::kText:
      return SettingValue::Text(
          std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)));
    case SettingKind::kBlock:
      return SettingValue::Block(std::vector<uint8_t>(bytes, bytes + size));
  }
  return Status::Corruption("the shape's kind is unknown");
}

Result<std::vector<uint8_t>> BytesOfSettingValue(const SettingShape& shape,
                                                 const SettingValue& value) {
  TARVELIN_RETURN_IF_ERROR(CheckSettingValueFits(shape, value));
  std::vector<uint8_t> bytes;
  switch (value.kind()) {
    case SettingKind::kNumber:
      bytes.resize(4);
      PutLE(bytes.data(), 4, static_cast<uint32_t>(value.number()));
      break;
    case SettingKind::kFlag:
      bytes.push_back(value.flag() ? 1 : 0);
      break;
    case SettingKind::kDateTime:
      bytes.resize(kDateTimeSize);
      PutDouble(bytes.data(), value.date_time());
      break;
    case SettingKind::kText:
      bytes.assign(value.text().begin(), value.text().end());
      break;
    case SettingKind::kBlock:
      bytes = value.block();
      break;
  }
  return bytes;
}

Result<SettingValue> ReadSettingValue(const SettingShape& shape, const SettingBufferGet& get) {
  int32_t size = 0;
  switch (shape.kind) {
    case SettingKind::kNumber:
      size = 4;
      break;
    case SettingKind::kFlag:
      size = 1;
      break;
    case SettingKind::kDateTime:
      size = kDateTimeSize;
      break;
    case SettingKind::kText:
    case SettingKind::kBlock:
      size = shape.size > kTextBufferStart ? shape.size : kTextBufferStart;
      break;
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(size));
  for (;;) {
    const Result<int32_t> written = get(buffer.data(), static_cast<int32_t>(buffer.size()));
    if (written.ok()) return SettingValueOfBytes(shape, buffer.data(), *written);
    // Only a value without a fixed size can outgrow the buffer it was given.
    const bool grows = shape.kind == SettingKind::kText || shape.kind == SettingKind::kBlock;
    if (!grows || !written.status().Is(StatusCode::kBufferTooSmall) ||
        buffer.size() >= static_cast<size_t>(kTextBufferMax)) {
      return written.status();
    }
    buffer.resize(buffer.size() * 4);
  }
}

Status WriteSettingValue(const SettingShape& shape, const SettingValue& value,
                         const SettingBufferSet& set) {
  const Result<std::vector<uint8_t>> bytes = BytesOfSettingValue(shape, value);
  if (!bytes.ok()) return bytes.status();
  return set(bytes->data(), static_cast<int32_t>(bytes->size()));
}

}  // namespace tarvelin
