// DomainRecord: the 1169-byte settings record of one domain, the content of
// its domain.cfg and the caller buffer of LoadDomain/SaveDomain. One table
// row per setting id gives the field's offset, width, kind and capacity and
// whether default.ini sets it under the field's name; the row drives
// GetDomainSetting/SetDomainSetting, the defaults and their tests.
//
// Texts are a length byte and `capacity` characters; numbers are unsigned
// little-endian of `width` bytes; flags are one byte. Ids 10 and 34 are bits
// 0 and 1 of the byte at offset 61 (the other bits keep their value); id 32
// is the whole record packed (Base64 of its zlib stream).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "schema/field_codec.h"

namespace tarvelin {

inline constexpr int kDomainRecordSize = 1169;
using DomainRecord = std::array<uint8_t, kDomainRecordSize>;

struct DomainField {
  int id;
  int offset;
  int width;  // bytes the field occupies
  FieldKind kind;
  int bit;           // bit number of a kBit field
  const char* name;  // nullptr for the fields without one
  bool default_key;  // default.ini sets the field under `name`

  int capacity() const { return width - 1; }  // characters of a text
  FieldSlot slot() const { return {kind, offset, width, bit}; }
};

// Every setting id, in offset order (the packed record last).
std::span<const DomainField> DomainFields();
// The row of a setting id, or nullptr for an unknown id.
const DomainField* FindDomainField(int id);

// Offsets the library's own code acts on.
namespace domain_offsets {
inline constexpr int kDiskQuota = 57;
inline constexpr int kServiceBits = 61;
inline constexpr int kType = 64;
inline constexpr int kValue = 65;
inline constexpr int kDisabled = 880;
inline constexpr int kExpires = 898;
inline constexpr int kExpiryDate = 899;
inline constexpr int kMailboxRoot = 1041;
inline constexpr int kMailboxRootCapacity = 127;
}  // namespace domain_offsets

}  // namespace tarvelin
