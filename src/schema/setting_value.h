// SettingValue: the value of one setting of any family as a typed value (a
// number, a flag, a date-time, a text or a block of bytes), and its
// conversion to and from the bytes the families' get and set functions
// write and take, by the setting's shape (schema/setting_shape.h). A value
// that does not fit its shape is refused, never cut or wrapped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "foundation/status.h"
#include "schema/setting_shape.h"

namespace tarvelin {

class SettingValue {
 public:
  static SettingValue Number(int64_t number) {
    return SettingValue(Storage(std::in_place_type<int64_t>, number));
  }
  static SettingValue Flag(bool on) { return SettingValue(Storage(std::in_place_type<bool>, on)); }
  static SettingValue DateTime(double days) {
    return SettingValue(Storage(std::in_place_type<double>, days));
  }
  static SettingValue Text(std::string text) {
    return SettingValue(Storage(std::in_place_type<std::string>, std::move(text)));
  }
  static SettingValue Block(std::vector<uint8_t> bytes) {
    return SettingValue(Storage(std::in_place_type<std::vector<uint8_t>>, std::move(bytes)));
  }

  SettingKind kind() const { return static_cast<SettingKind>(value_.index()); }
  // The value of its kind; asking for another kind is a programming error.
  int64_t number() const { return std::get<int64_t>(value_); }
  bool flag() const { return std::get<bool>(value_); }
  double date_time() const { return std::get<double>(value_); }
  const std::string& text() const { return std::get<std::string>(value_); }
  const std::vector<uint8_t>& block() const { return std::get<std::vector<uint8_t>>(value_); }

  bool operator==(const SettingValue&) const = default;

 private:
  // In the order of SettingKind.
  using Storage = std::variant<int64_t, bool, double, std::string, std::vector<uint8_t>>;
  explicit SettingValue(Storage value) : value_(std::move(value)) {}

  Storage value_;
};

// Ok when `value` is of the shape's kind and fits it: an unsigned number in
// 0 .. 2^(8 * size) - 1, a signed one in the signed 32-bit range, a text of
// at most `size` characters (any length without a capacity), a block of at
// most `size` bytes (a shorter one replaces the start). InvalidArgument
// saying why not otherwise.
Status CheckSettingValueFits(const SettingShape& shape, const SettingValue& value);

// The value in the `size` bytes a get function wrote: a number from its 1 to
// 4 little-endian bytes (sign-extended from 4 when signed), a flag from its
// byte (any value but 0 is on), a date-time from 8 bytes. Corruption when
// the bytes cannot hold the shape's kind.
Result<SettingValue> SettingValueOfBytes(const SettingShape& shape, const uint8_t* bytes,
                                         int32_t size);
// The bytes a set function takes for `value`: 4 bytes for a number, 1 for a
// flag, 8 for a date-time, a text's characters, a block's bytes. Refuses as
// CheckSettingValueFits does.
Result<std::vector<uint8_t>> BytesOfSettingValue(const SettingShape& shape,
                                                 const SettingValue& value);

// A family's get function on a buffer: the bytes written, or a failure
// (BufferTooSmall makes ReadSettingValue try a larger buffer).
using SettingBufferGet = std::function<Result<int32_t>(void* buffer, int32_t size)>;
// A family's set function on a buffer.
using SettingBufferSet = std::function<Status(const void* buffer, int32_t size)>;

// The value the get function gives, read as `shape` says.
Result<SettingValue> ReadSettingValue(const SettingShape& shape, const SettingBufferGet& get);
// Hands the set function the bytes of `value`; the value's refusal, or the
// set function's status.
Status WriteSettingValue(const SettingShape& shape, const SettingValue& value,
                         const SettingBufferSet& set);

}  // namespace tarvelin
