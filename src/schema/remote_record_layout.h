// RemoteAccountRecord: the 1828-byte record of one remote account, the
// content of each remote.cfg slot and the caller buffer of LoadRA/SaveRA.
// One table row per setting id gives the field's offset, width and kind (the
// field codec, schema/field_codec.h); the rows drive GetRASetting/
// SetRASetting, the CLI and the tests.
//
// The kinds are kText, kFlag, kNumber, kBlock and kPacked. Id 246, the one
// block, is the account's 284-byte collection schedule
// (schema/schedule_layout.h); id 248 is the whole record packed. The bytes no row
// covers (1246-1268, 1278-1309, 1568-1827) are carried as read.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "schema/field_codec.h"

namespace tarvelin {

inline constexpr int kRemoteRecordSize = 1828;
using RemoteAccountRecord = std::array<uint8_t, kRemoteRecordSize>;

struct RemoteField {
  int id;
  int offset;
  int width;  // bytes the field occupies
  FieldKind kind;

  int capacity() const { return width - 1; }  // characters of a text
  FieldSlot slot() const { return {kind, offset, width}; }
};

// Every setting id, in offset order (the packed record last).
std::span<const RemoteField> RemoteFields();
// The row of a setting id, or nullptr for an unknown id.
const RemoteField* FindRemoteField(int id);

// Offsets the library's own code acts on.
namespace remote_offsets {
inline constexpr int kServer = 0;  // the remote server
inline constexpr int kServerCapacity = 63;
inline constexpr int kSchedule = 256;
inline constexpr int kLogin = 796;  // login name at the remote server
inline constexpr int kLoginCapacity = 127;
inline constexpr int kStateFile = 1312;  // collection state file, removed with the account
inline constexpr int kStateFileCapacity = 255;
}  // namespace remote_offsets

}  // namespace tarvelin
