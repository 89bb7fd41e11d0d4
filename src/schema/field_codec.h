// The field codec: how one field of a fixed-layout record travels between
// the record and a caller's buffer. Every layout table (server settings,
// domain, account, remote account, schedule) describes its plain fields by
// a FieldKind with an offset and a width (and a bit); GetField and SetField
// are the only code that moves a field by its kind. Values follow the
// conventions of schema/marshal.h: a get writes nothing into a buffer too
// small for the value; a set reads what the caller's size allows.
//
// The value a set takes is read whole before the record changes, so it may
// lie inside the record itself.
#pragma once

#include <cstdint>

#include "foundation/status.h"

namespace tarvelin {

enum class FieldKind : uint8_t {
  kFlag,          // one byte, stored as given
  kInvertedFlag,  // one byte holding the negation of the flag
  kBit,           // bit `bit` of one byte; the byte's other bits keep their value
  kInvertedBit,   // a bit holding the negation of the flag (it refuses what the flag allows)
  kNumber,        // unsigned little-endian of `width` bytes (1, 2 or 4)
  kText,          // a length byte, then up to width - 1 characters
  kCharacter,     // one character, 0 for none; travels as a 1-character text
  kBlock,         // `width` bytes moved whole on a get, their start replaced on a set
  kDate,          // 8-byte double, days since 30 December 1899; needs 8 bytes both ways
  kTimeOfDay,     // 8-byte double, a fraction of a day; travels as signed 32-bit seconds
  kWholeNumber,   // 8-byte double holding a whole number; travels as signed 32-bit
  kPacked,        // the `width` bytes from `offset`; travels as Base64 of their zlib stream
};

// Where a field lies in its record and how its value travels.
struct FieldSlot {
  FieldKind kind;
  int offset;
  int width;    // bytes the field occupies; a text holds width - 1 characters
  int bit = 0;  // of a kBit or kInvertedBit field
};

// The field's value into the caller's buffer: the bytes written, or
// BufferTooSmall when the buffer cannot hold the value (a number takes the
// min(size, 4) low-order bytes and fails only on a size below 1).
Result<int32_t> GetField(const uint8_t* record, FieldSlot field, void* buffer, int32_t size);

// Stores the caller's value: flags as given (a 2- or 4-byte flag as
// nonzero), numbers cut to their width, texts trimmed and cut to their
// capacity, a block's start replaced by the first min(size, width) bytes.
// A packed text that does not decode leaves the record as it was. Fails
// only for a date of fewer than 8 bytes (BufferTooSmall, nothing written).
Status SetField(uint8_t* record, FieldSlot field, const void* value, int32_t size);

}  // namespace tarvelin
