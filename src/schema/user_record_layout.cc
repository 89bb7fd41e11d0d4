// Transcribed from the record layout tables; keep the rows in offset order.
#include "schema/user_record_layout.h"

#include <array>

namespace tarvelin {

namespace {

constexpr int16_t kCommonMore4[] = {5};
constexpr int16_t kCommonMore259[] = {78};
// Views of the alias list: its name aliases and its number aliases.
constexpr int16_t kCommonMore260[] = {79, 85};
constexpr int16_t kUserMore660[] = {65};
constexpr int16_t kUserMore1293[] = {66};
constexpr int16_t kUserMore1294[] = {69, 70, 71, 72, 73, 74, 75};
constexpr int16_t kUserMore1552[] = {68, 76};
constexpr int16_t kListMore774[] = {149, 150, 156};
constexpr int16_t kListMore1032[] = {151};
constexpr int16_t kListMore2324[] = {152};
constexpr int16_t kListMore2461[] = {153};
constexpr int16_t kListMore2468[] = {147, 148, 154};

constexpr UserField kCommonFields[] = {
    // 0 user, 1 mailing list, 2 executable, 3 notification, 4 routing, 5 catalog, 6 list server, 7
    // group
    {0, 1, FieldKind::kNumber, 0, {}, "AccountType"},
    // antispam mode of the account
    {2, 2, FieldKind::kNumber, 1, {}, "AntiSpamIndex"},
    // display name and note, separated by the first ";": the display name is the part before it (id
    // 2), the note is everything after it (id 5)
    {4, 255, FieldKind::kText, 2, kCommonMore4, nullptr},
    // bit 0: antivirus on (ServicesAccessAV); bit 1: SIP refused (ServicesAccessSIP inverted)
    {259, 1, FieldKind::kBit, 4, kCommonMore259, nullptr},
    // the account's aliases (local parts), separated by ";"; the first is the primary alias
    {260, 256, FieldKind::kText, 3, kCommonMore260, "AliasList"},
};

constexpr UserField kUserFields[] = {
    // login name of the mailbox; filled from the primary alias when empty
    {516, 128, FieldKind::kText, 16, {}, "Mailbox"},
    // 0 = usable; any other value refuses the account's services
    {644, 1, FieldKind::kNumber, 17, {}, "AccountState"},
    // the account expires on AccountExpiryDate
    {645, 1, FieldKind::kFlag, 18, {}, "AccountExpires"},
    // 8-byte double, days since 30 December 1899
    {648, 8, FieldKind::kDate, 19, {}, "AccountExpiryDate"},
    {656, 1, FieldKind::kFlag, 60, {}, "XEnvelopeTo"},
    {658, 1, FieldKind::kFlag, 22, {}, nullptr},
    // low half (id 23): stored and returned only; high half (id 65): ExpiresIfInactive, inactivity
    // limit in days
    {660, 4, FieldKind::kNumber, 23, kUserMore660, nullptr},
    // authentication mode
    {664, 1, FieldKind::kNumber, 24, {}, "AuthMode"},
    // 0 = POP3 only, 1 = POP3 and IMAP, 2 = IMAP only
    {665, 1, FieldKind::kNumber, 25, {}, "MailboxMode"},
    // two ";"-separated items
    {666, 92, FieldKind::kText, 26, {}, nullptr},
    {760, 4, FieldKind::kNumber, 27, {}, "MaxMessageSize"},
    {764, 1, FieldKind::kFlag, 63, {}, nullptr},
    {765, 1, FieldKind::kFlag, 59, {}, "NoMailingList"},
    {766, 1, FieldKind::kNumber, 64, {}, "SpamFolderMode"},
    {767, 1, FieldKind::kNumber, 67, {}, nullptr},
    {769, 1, FieldKind::kFlag, 30, {}, nullptr},
    {770, 1, FieldKind::kFlag, 31, {}, "DeleteAccountWhenExpired"},
    {771, 1, FieldKind::kFlag, 32, {}, nullptr},
    // the password; in users.cfg possibly in scrambled form
    {772, 128, FieldKind::kText, 33, {}, "Password"},
    // parameter of AuthMode
    {900, 117, FieldKind::kText, 34, {}, "AuthModeValue"},
    // high half of NumberSendLimit
    {1018, 2, FieldKind::kNumber, 58, {}, "NumberSendLimit"},
    // administrator: the password is not shown; lists in posting mode 3 accept the account
    {1022, 1, FieldKind::kFlag, 36, {}, "ServerAdmin"},
    // low half of NumberSendLimit: id 58 is high half × 65536 + low half
    {1024, 2, FieldKind::kNumber, 58, {}, "NumberSendLimit"},
    {1026, 2, FieldKind::kNumber, 57, {}, "MegabyteSendLimit"},
    // the account's mail folder, relative to the mail root unless absolute; ends with a separator
    {1028, 128, FieldKind::kText, 37, {}, "MailboxPath"},
    {1156, 128, FieldKind::kText, 77, {}, nullptr},
    // domain administrator: the password is not shown; lists in posting mode 4 accept the account
    {1284, 1, FieldKind::kFlag, 38, {}, "DomainAdmin"},
    // the account has its own mailbox size limit
    {1285, 1, FieldKind::kFlag, 39, {}, "LimitMailboxSize"},
    // that limit in kilobytes
    {1288, 4, FieldKind::kNumber, 40, {}, "LimitMailboxSizeValue"},
    {1292, 1, FieldKind::kFlag, 62, {}, nullptr},
    // bits 0-1 (id 42): auto-responder mode; bits 2-7 (id 66): a second number
    {1293, 1, FieldKind::kNumber, 42, kUserMore1293, "ResponderMode"},
    // bit 0 LocalMailOnly; bits 1 to 7 refuse, when set: 1 SMTP, 2 POP3 and IMAP, 3 instant
    // messaging, 4 web mail, 5 instant antispam, 6 calendar, 7 challenge-response
    {1294, 1, FieldKind::kBit, 43, kUserMore1294, "ServiceFlags"},
    // when clear, a newly added account receives the welcome messages
    {1295, 1, FieldKind::kFlag, 44, {}, nullptr},
    {1296, 256, FieldKind::kText, 45, {}, "ForwardTo"},
    // responder file and period: the file, ";", then the from part, "-", the to part; id 46 the
    // file, id 68 the from part, id 76 the to part
    {1552, 128, FieldKind::kText, 46, kUserMore1552, "RespondWithFile"},
    {1680, 64, FieldKind::kText, 61, {}, nullptr},
    {1808, 128, FieldKind::kText, 47, {}, "IncomingCopy"},
    {1936, 128, FieldKind::kText, 48, {}, "OutgoingCopy"},
    {2064, 256, FieldKind::kText, 49, {}, "ValidityWarningFile"},
    {2320, 1, FieldKind::kFlag, 50, {}, "DeleteMailOlder"},
    {2324, 4, FieldKind::kNumber, 51, {}, "DeleteMailOlderValue"},
    {2328, 1, FieldKind::kFlag, 52, {}, nullptr},
    {2332, 4, FieldKind::kNumber, 53, {}, nullptr},
    {2336, 256, FieldKind::kText, 54, {}, nullptr},
    {2592, 128, FieldKind::kText, 55, {}, nullptr},
};

constexpr UserField kExecutableFields[] = {
    // program to run (relative to ConfigPath unless absolute)
    {516, 256, FieldKind::kText, 80, {}, nullptr},
    // program arguments
    {772, 256, FieldKind::kText, 81, {}, nullptr},
    {1028, 256, FieldKind::kText, 82, {}, nullptr},
    // run mode
    {1284, 1, FieldKind::kNumber, 83, {}, nullptr},
    {1285, 256, FieldKind::kText, 84, {}, nullptr},
};

constexpr UserField kListFields[] = {
    // list name text
    {516, 256, FieldKind::kText, 112, {}, nullptr},
    {772, 1, FieldKind::kFlag, 113, {}, nullptr},
    {773, 1, FieldKind::kNumber, 114, {}, nullptr},
    // ";"-separated; the first item is the member file (relative to ConfigPath unless absolute);
    // ids 149, 150, 156 give views of the later items
    {774, 256, FieldKind::kText, 115, kListMore774, nullptr},
    // list server: the list answers subscription commands
    {1030, 1, FieldKind::kFlag, 116, {}, nullptr},
    {1031, 1, FieldKind::kFlag, 117, {}, nullptr},
    // two items separated by the first ";"
    {1032, 256, FieldKind::kText, 118, kListMore1032, nullptr},
    // posting mode: 1 owner only, 3 ServerAdmin accounts, 4 DomainAdmin accounts, 5 members; other
    // values as stored
    {1288, 1, FieldKind::kNumber, 119, {}, nullptr},
    {1289, 256, FieldKind::kText, 120, {}, nullptr},
    {1545, 256, FieldKind::kText, 121, {}, nullptr},
    // together with offset 2460 a three-state value
    {1801, 1, FieldKind::kFlag, 122, {}, nullptr},
    {1802, 128, FieldKind::kText, 123, {}, nullptr},
    {1930, 1, FieldKind::kFlag, 124, {}, nullptr},
    {1931, 1, FieldKind::kFlag, 125, {}, nullptr},
    {1932, 4, FieldKind::kNumber, 126, {}, nullptr},
    {1936, 1, FieldKind::kNumber, 127, {}, nullptr},
    {1937, 128, FieldKind::kText, 128, {}, nullptr},
    {2065, 256, FieldKind::kText, 129, {}, nullptr},
    {2321, 1, FieldKind::kFlag, 130, {}, nullptr},
    {2322, 1, FieldKind::kNumber, 131, {}, nullptr},
    {2323, 1, FieldKind::kNumber, 132, {}, nullptr},
    // two items separated by "|", or by the character 255 when the text contains one
    {2324, 128, FieldKind::kText, 133, kListMore2324, nullptr},
    {2452, 1, FieldKind::kFlag, 134, {}, nullptr},
    {2453, 1, FieldKind::kFlag, 135, {}, nullptr},
    {2454, 1, FieldKind::kFlag, 136, {}, nullptr},
    {2455, 1, FieldKind::kFlag, 137, {}, nullptr},
    {2456, 1, FieldKind::kFlag, 138, {}, nullptr},
    {2457, 1, FieldKind::kFlag, 139, {}, nullptr},
    {2458, 1, FieldKind::kNumber, 140, {}, nullptr},
    {2459, 1, FieldKind::kFlag, 141, {}, nullptr},
    // second half of the three-state value
    {2460, 1, FieldKind::kFlag, 122, {}, nullptr},
    // bit 0 (id 143), bit 1 (id 153)
    {2461, 1, FieldKind::kBit, 143, kListMore2461, nullptr},
    {2462, 1, FieldKind::kFlag, 144, {}, nullptr},
    {2463, 1, FieldKind::kNumber, 155, {}, nullptr},
    {2464, 4, FieldKind::kNumber, 145, {}, nullptr},
    // bit 0 (id 146); bits 2, 1, 3 inverted (ids 147, 148, 154)
    {2468, 1, FieldKind::kBit, 146, kListMore2468, nullptr},
    // group shared with the groupware service
    {2469, 1, FieldKind::kFlag, 157, {}, nullptr},
    // one character
    {2470, 1, FieldKind::kCharacter, 158, {}, nullptr},
};

constexpr UserField kNotificationFields[] = {
    {516, 256, FieldKind::kText, 160, {}, nullptr},
    {772, 1, FieldKind::kFlag, 161, {}, nullptr},
    {776, 4, FieldKind::kNumber, 162, {}, nullptr},
    {780, 1, FieldKind::kFlag, 163, {}, nullptr},
    {781, 1, FieldKind::kFlag, 164, {}, nullptr},
    {782, 1, FieldKind::kFlag, 165, {}, nullptr},
    {783, 1, FieldKind::kFlag, 166, {}, nullptr},
    {784, 1, FieldKind::kFlag, 167, {}, nullptr},
    {785, 1, FieldKind::kNumber, 179, {}, nullptr},
    {786, 1, FieldKind::kFlag, 168, {}, nullptr},
    {1045, 256, FieldKind::kText, 169, {}, nullptr},
    {1302, 1, FieldKind::kNumber, 171, {}, nullptr},
    {1303, 1, FieldKind::kNumber, 172, {}, nullptr},
    // notification file (relative to ConfigPath unless absolute); deleted with the account
    {1304, 256, FieldKind::kText, 173, {}, nullptr},
    {1560, 256, FieldKind::kText, 175, {}, nullptr},
    {1816, 256, FieldKind::kText, 176, {}, nullptr},
    {2072, 256, FieldKind::kText, 177, {}, nullptr},
    {2328, 256, FieldKind::kText, 178, {}, nullptr},
    {2584, 1, FieldKind::kFlag, 174, {}, nullptr},
};

constexpr UserField kRoutingFields[] = {
    // action (0 to 4)
    {516, 1, FieldKind::kNumber, 192, {}, nullptr},
    // action target
    {517, 256, FieldKind::kText, 193, {}, nullptr},
    // content-filter file of condition mode 0 (relative to ConfigPath unless absolute); deleted
    // with the account
    {773, 256, FieldKind::kText, 194, {}, nullptr},
    // condition mode: 0 content filter, 1 program, 2 always
    {1029, 1, FieldKind::kNumber, 195, {}, nullptr},
    // program of condition mode 1
    {1030, 256, FieldKind::kText, 196, {}, nullptr},
    {1286, 1, FieldKind::kFlag, 197, {}, nullptr},
    {1287, 256, FieldKind::kText, 198, {}, nullptr},
    // parameter of condition mode 1
    {1543, 1, FieldKind::kNumber, 199, {}, nullptr},
};

constexpr UserField kCatalogFields[] = {
    // catalog file (relative to ConfigPath unless absolute); deleted with the account
    {516, 256, FieldKind::kText, 213, {}, nullptr}, {772, 1, FieldKind::kNumber, 212, {}, nullptr},
    {773, 1, FieldKind::kFlag, 210, {}, nullptr},   {774, 1, FieldKind::kFlag, 211, {}, nullptr},
    {775, 1, FieldKind::kFlag, 209, {}, nullptr},   {776, 128, FieldKind::kText, 208, {}, nullptr},
    {904, 1, FieldKind::kFlag, 214, {}, nullptr},
};

constexpr std::span<const UserField> kParts[] = {
    kCommonFields,       kUserFields,    kExecutableFields, kListFields,
    kNotificationFields, kRoutingFields, kCatalogFields,
};

}  // namespace

std::span<const UserField> UserRecordFields(UserRecordPart part) {
  return kParts[static_cast<int>(part)];
}

std::optional<UserRecordPart> VariantOfAccountType(uint8_t account_type) {
  switch (account_type) {
    case 0:
      return UserRecordPart::kUser;
    case 1:
    case 6:
    case 7:
      return UserRecordPart::kList;
    case 2:
      return UserRecordPart::kExecutable;
    case 3:
      return UserRecordPart::kNotification;
    case 4:
      return UserRecordPart::kRouting;
    case 5:
      return UserRecordPart::kCatalog;
    default:
      return std::nullopt;
  }
}

const UserField* FindUserFieldById(int id) {
  constexpr int kHighestId = 214;
  // Looked up for every get and set: an index by id, built once.
  static const auto kById = [] {
    std::array<const UserField*, kHighestId + 1> index{};
    for (std::span<const UserField> part : kParts) {
      for (const UserField& field : part) {
        // The first row wins for the ids that span two.
        const auto add = [&](int16_t setting) {
          const auto slot = static_cast<size_t>(setting);
          if (slot < index.size() && index[slot] == nullptr) index[slot] = &field;
        };
        add(field.id);
        for (int16_t more : field.more_ids) add(more);
      }
    }
    return index;
  }();
  if (id < 0 || id > kHighestId) return nullptr;
  return kById[static_cast<size_t>(id)];
}

const UserField* FindUserFieldByName(std::string_view name) {
  for (std::span<const UserField> part : kParts) {
    for (const UserField& field : part) {
      if (field.name != nullptr && name == field.name) return &field;
    }
  }
  return nullptr;
}

}  // namespace tarvelin
