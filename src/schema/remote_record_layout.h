// RemoteAccountRecord: the 1828-byte record of one remote account, the
// content of each remote.cfg slot and the caller buffer of LoadRA/SaveRA.
// One table row per setting id gives the field's offset, width, kind and
// capacity; the rows drive GetRASetting/SetRASetting, the CLI and the tests.
//
// Texts are a length byte and `capacity` characters; numbers are unsigned
// little-endian of `width` bytes; flags are one byte. Id 246 is the
// account's 284-byte collection schedule (schema/schedule_layout.h), id
// 248 the whole record packed (Base64 of its zlib stream). The bytes no row
// covers (1246-1268, 1278-1309, 1568-1827) are carried as read.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tarvelin {

inline constexpr int kRemoteRecordSize = 1828;
using RemoteAccountRecord = std::array<uint8_t, kRemoteRecordSize>;

enum class RemoteFieldKind : uint8_t { kText, kFlag, kNumber, kSchedule, kPacked };

struct RemoteField {
  int id;
  int offset;
  int width;  // bytes the field occupies
  RemoteFieldKind kind;
  int capacity;  // characters of a text
};

// Every setting id, in offset order (the packed record last).
std::span<const RemoteField> RemoteFields();
// The row of a setting id, or nullptr for an unknown id.
const RemoteField* FindRemoteField(int id);

// Offsets the library's own code acts on.
namespace remote_offsets {
inline constexpr int kSchedule = 256;
inline constexpr int kStateFile = 1312;  // collection state file, removed with the account
inline constexpr int kStateFileCapacity = 255;
}  // namespace remote_offsets

}  // namespace tarvelin
