// The layout of UserRecord, the 2848-byte account record of users.cfg: a
// common part shared by every account type and one variant part per type.
// Each table lists the fields by offset with the setting ids that reach
// them; GetUserSetting/SetUserSetting, the defaults file and the CLI work
// from these tables. Bytes outside every row are carried unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "schema/field_codec.h"

namespace tarvelin {

inline constexpr int kUserRecordSize = 2848;
inline constexpr int16_t kNoUserSetting = -1;

// A field's kind (schema/field_codec.h) is one of kNumber, kFlag, kDate,
// kText, kCharacter and kBit. A byte whose bits are separate settings is a
// kBit row for its own id, bit 0; its further ids name the other bits
// (ResponderMode, whose bit groups are numbers, is a kNumber row).
struct UserField {
  uint16_t offset;
  uint16_t width;
  FieldKind kind;
  int16_t id;                         // the field's own setting id, or kNoUserSetting
  std::span<const int16_t> more_ids;  // further ids that read or write parts of it
  const char* name;                   // where the field has a name, else nullptr

  int capacity() const { return kind == FieldKind::kText ? width - 1 : 0; }  // of a text
  FieldSlot slot() const { return {kind, offset, width}; }
};

// The parts of the record: the common part and one variant per layout.
enum class UserRecordPart : uint8_t {
  kCommon,
  kUser,          // type 0
  kExecutable,    // type 2
  kList,          // types 1 (mailing list), 6 (list server), 7 (group)
  kNotification,  // type 3
  kRouting,       // type 4
  kCatalog,       // type 5
};

// The rows of one part, in offset order.
std::span<const UserField> UserRecordFields(UserRecordPart part);
// The variant part a record of `account_type` carries; nullopt for a type
// beyond 7, whose record has only the common part.
std::optional<UserRecordPart> VariantOfAccountType(uint8_t account_type);

// The row that `id` reaches, as its own id or one of its further ids, in
// any part; nullptr for an id that names no field. Ids 58 and 122 span two
// rows; this gives the first.
const UserField* FindUserFieldById(int id);
// The first row named `name` (exact spelling), in any part; nullptr if none.
const UserField* FindUserFieldByName(std::string_view name);

// Offsets the settings code acts on beyond plain fields.
namespace user_offsets {
inline constexpr int kAccountType = 0;
inline constexpr int kNameAndNote = 4;
inline constexpr int kAccessBits = 259;  // bit 0 antivirus on, bit 1 SIP refused
inline constexpr int kAliasList = 260;
inline constexpr int kInactivity = 660;  // low half id 23, high half ExpiresIfInactive
inline constexpr int kAccountExpires = 645;
inline constexpr int kAccountExpiryDate = 648;
inline constexpr int kMailboxMode = 665;
inline constexpr int kPassword = 772;
inline constexpr int kSendLimitHigh = 1018;
inline constexpr int kServerAdmin = 1022;
inline constexpr int kSendLimitLow = 1024;
inline constexpr int kDomainAdmin = 1284;
inline constexpr int kResponderMode = 1293;
inline constexpr int kServiceFlags = 1294;  // bit 0 local mail only, bits 1-7 services refused
inline constexpr int kRespondWithFile = 1552;
inline constexpr int kListMemberFile = 774;
inline constexpr int kListPair = 1032;
inline constexpr int kListThreeStateLow = 1801;
inline constexpr int kListBarPair = 2324;
inline constexpr int kListThreeStateHigh = 2460;
inline constexpr int kListBits2461 = 2461;
inline constexpr int kListBits2468 = 2468;
inline constexpr int kListCharacter = 2470;
}  // namespace user_offsets

}  // namespace tarvelin
