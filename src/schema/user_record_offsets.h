// Offsets of the UserRecord fields that the account store itself acts on,
// beside those the layout tables name (user_record_layout.h): the capacities
// of the texts the store reads and the user account (type 0) fields of
// folder delivery. A text of capacity N occupies N+1 bytes.
#pragma once

#include "schema/user_record_layout.h"

namespace tarvelin::user_offsets {

inline constexpr int kAliasListCapacity = 255;  // ";"-separated local parts
inline constexpr int kMailbox = 516;            // type 0: text 127
inline constexpr int kFolderDelivery = 666;     // type 0: text 91, two ";" items
inline constexpr int kFolderDeliveryCapacity = 91;
inline constexpr int kPasswordCapacity = 127;  // type 0; enciphered in users.cfg
inline constexpr int kAccountState = 644;      // type 0: nonzero, no service access
inline constexpr int kAuthMode = 664;          // type 0: 0 stored, 1 logon, 2 LDAP, 3 none
inline constexpr int kAuthEntries = 900;       // type 0: text 116, "first;second|..."
inline constexpr int kAuthEntriesCapacity = 116;
inline constexpr int kMailboxPath = 1028;  // type 0: text 127
inline constexpr int kMailboxPathCapacity = 127;

}  // namespace tarvelin::user_offsets
