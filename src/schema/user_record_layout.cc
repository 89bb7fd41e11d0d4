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
    {0, 1, UserFieldKind::kNumber, 0, {}, 0, "AccountType"},
    // antispam mode of the account
    {2, 2, UserFieldKind::kNumber, 1, {}, 0, "AntiSpamIndex"},
    // display name and note, separated by the first ";": the display name is the part before it (id
    // 2), the note is everything after it (id 5)
    {4, 255, UserFieldKind::kText, 2, kCommonMore4, 254, nullptr},
    // bit 0: antivirus on (ServicesAccessAV); bit 1: SIP refused (ServicesAccessSIP inverted)
    {259, 1, UserFieldKind::kBits, 4, kCommonMore259, 0, nullptr},
    // the account's aliases (local parts), separated by ";"; the first is the primary alias
    {260, 256, UserFieldKind::kText, 3, kCommonMore260, 255, "AliasList"},
};

constexpr UserField kUserFields[] = {
    // login name of the mailbox; filled from the primary alias when empty
    {516, 128, UserFieldKind::kText, 16, {}, 127, "Mailbox"},
    // 0 = usable; any other value refuses the account's services
    {644, 1, UserFieldKind::kNumber, 17, {}, 0, "AccountState"},
    // the account expires on AccountExpiryDate
    {645, 1, UserFieldKind::kFlag, 18, {}, 0, "AccountExpires"},
    // 8-byte double, days since 30 December 1899
    {648, 8, UserFieldKind::kDateTime, 19, {}, 0, "AccountExpiryDate"},
    {656, 1, UserFieldKind::kFlag, 60, {}, 0, "XEnvelopeTo"},
    {658, 1, UserFieldKind::kFlag, 22, {}, 0, nullptr},
    // low half (id 23): stored and returned only; high half (id 65): ExpiresIfInactive, inactivity
    // limit in days
    {660, 4, UserFieldKind::kNumber, 23, kUserMore660, 0, nullptr},
    // authentication mode
    {664, 1, UserFieldKind::kNumber, 24, {}, 0, "AuthMode"},
    // 0 = POP3 only, 1 = POP3 and IMAP, 2 = IMAP only
    {665, 1, UserFieldKind::kNumber, 25, {}, 0, "MailboxMode"},
    // two ";"-separated items
    {666, 92, UserFieldKind::kText, 26, {}, 91, nullptr},
    {760, 4, UserFieldKind::kNumber, 27, {}, 0, "MaxMessageSize"},
    {764, 1, UserFieldKind::kFlag, 63, {}, 0, nullptr},
    {765, 1, UserFieldKind::kFlag, 59, {}, 0, "NoMailingList"},
    {766, 1, UserFieldKind::kNumber, 64, {}, 0, "SpamFolderMode"},
    {767, 1, UserFieldKind::kNumber, 67, {}, 0, nullptr},
    {769, 1, UserFieldKind::kFlag, 30, {}, 0, nullptr},
    {770, 1, UserFieldKind::kFlag, 31, {}, 0, "DeleteAccountWhenExpired"},
    {771, 1, UserFieldKind::kFlag, 32, {}, 0, nullptr},
    // the password; in users.cfg possibly in scrambled form
    {772, 128, UserFieldKind::kText, 33, {}, 127, "Password"},
    // parameter of AuthMode
    {900, 117, UserFieldKind::kText, 34, {}, 116, "AuthModeValue"},
    // high half of NumberSendLimit
    {1018, 2, UserFieldKind::kNumber, 58, {}, 0, "NumberSendLimit"},
    // administrator: the password is not shown; lists in posting mode 3 accept the account
    {1022, 1, UserFieldKind::kFlag, 36, {}, 0, "ServerAdmin"},
    // low half of NumberSendLimit: id 58 is high half × 65536 + low half
    {1024, 2, UserFieldKind::kNumber, 58, {}, 0, "NumberSendLimit"},
    {1026, 2, UserFieldKind::kNumber, 57, {}, 0, "MegabyteSendLimit"},
    // the account's mail folder, relative to the mail root unless absolute; ends with a separator
    {1028, 128, UserFieldKind::kText, 37, {}, 127, "MailboxPath"},
    {1156, 128, UserFieldKind::kText, 77, {}, 127, nullptr},
    // domain administrator: the password is not shown; lists in posting mode 4 accept the account
    {1284, 1, UserFieldKind::kFlag, 38, {}, 0, "DomainAdmin"},
    // the account has its own mailbox size limit
    {1285, 1, UserFieldKind::kFlag, 39, {}, 0, "LimitMailboxSize"},
    // that limit in kilobytes
    {1288, 4, UserFieldKind::kNumber, 40, {}, 0, "LimitMailboxSizeValue"},
    {1292, 1, UserFieldKind::kFlag, 62, {}, 0, nullptr},
    // bits 0-1 (id 42): auto-responder mode; bits 2-7 (id 66): a second number
    {1293, 1, UserFieldKind::kBits, 42, kUserMore1293, 0, "ResponderMode"},
    // bit 0 LocalMailOnly; bits 1 to 7 refuse, when set: 1 SMTP, 2 POP3 and IMAP, 3 instant
    // messaging, 4 web mail, 5 instant antispam, 6 calendar, 7 challenge-response
    {1294, 1, UserFieldKind::kBits, 43, kUserMore1294, 0, "ServiceFlags"},
    // when clear, a newly added account receives the welcome messages
    {1295, 1, UserFieldKind::kFlag, 44, {}, 0, nullptr},
    {1296, 256, UserFieldKind::kText, 45, {}, 255, "ForwardTo"},
    // responder file and period: the file, ";", then the from part, "-", the to part; id 46 the
    // file, id 68 the from part, id 76 the to part
    {1552, 128, UserFieldKind::kText, 46, kUserMore1552, 127, "RespondWithFile"},
    {1680, 64, UserFieldKind::kText, 61, {}, 63, nullptr},
    {1808, 128, UserFieldKind::kText, 47, {}, 127, "IncomingCopy"},
    {1936, 128, UserFieldKind::kText, 48, {}, 127, "OutgoingCopy"},
    {2064, 256, UserFieldKind::kText, 49, {}, 255, "ValidityWarningFile"},
    {2320, 1, UserFieldKind::kFlag, 50, {}, 0, "DeleteMailOlder"},
    {2324, 4, UserFieldKind::kNumber, 51, {}, 0, "DeleteMailOlderValue"},
    {2328, 1, UserFieldKind::kFlag, 52, {}, 0, nullptr},
    {2332, 4, UserFieldKind::kNumber, 53, {}, 0, nullptr},
    {2336, 256, UserFieldKind::kText, 54, {}, 255, nullptr},
    {2592, 128, UserFieldKind::kText, 55, {}, 127, nullptr},
};

constexpr UserField kExecutableFields[] = {
    // program to run (relative to ConfigPath unless absolute)
    {516, 256, UserFieldKind::kText, 80, {}, 255, nullptr},
    // program arguments
    {772, 256, UserFieldKind::kText, 81, {}, 255, nullptr},
    {1028, 256, UserFieldKind::kText, 82, {}, 255, nullptr},
    // run mode
    {1284, 1, UserFieldKind::kNumber, 83, {}, 0, nullptr},
    {1285, 256, UserFieldKind::kText, 84, {}, 255, nullptr},
};

constexpr UserField kListFields[] = {
    // list name text
    {516, 256, UserFieldKind::kText, 112, {}, 255, nullptr},
    {772, 1, UserFieldKind::kFlag, 113, {}, 0, nullptr},
    {773, 1, UserFieldKind::kNumber, 114, {}, 0, nullptr},
    // ";"-separated; the first item is the member file (relative to ConfigPath unless absolute);
    // ids 149, 150, 156 give views of the later items
    {774, 256, UserFieldKind::kText, 115, kListMore774, 255, nullptr},
    // list server: the list answers subscription commands
    {1030, 1, UserFieldKind::kFlag, 116, {}, 0, nullptr},
    {1031, 1, UserFieldKind::kFlag, 117, {}, 0, nullptr},
    // two items separated by the first ";"
    {1032, 256, UserFieldKind::kText, 118, kListMore1032, 255, nullptr},
    // posting mode: 1 owner only, 3 ServerAdmin accounts, 4 DomainAdmin accounts, 5 members; other
    // values as stored
    {1288, 1, UserFieldKind::kNumber, 119, {}, 0, nullptr},
    {1289, 256, UserFieldKind::kText, 120, {}, 255, nullptr},
    {1545, 256, UserFieldKind::kText, 121, {}, 255, nullptr},
    // together with offset 2460 a three-state value
    {1801, 1, UserFieldKind::kFlag, 122, {}, 0, nullptr},
    {1802, 128, UserFieldKind::kText, 123, {}, 127, nullptr},
    {1930, 1, UserFieldKind::kFlag, 124, {}, 0, nullptr},
    {1931, 1, UserFieldKind::kFlag, 125, {}, 0, nullptr},
    {1932, 4, UserFieldKind::kNumber, 126, {}, 0, nullptr},
    {1936, 1, UserFieldKind::kNumber, 127, {}, 0, nullptr},
    {1937, 128, UserFieldKind::kText, 128, {}, 127, nullptr},
    {2065, 256, UserFieldKind::kText, 129, {}, 255, nullptr},
    {2321, 1, UserFieldKind::kFlag, 130, {}, 0, nullptr},
    {2322, 1, UserFieldKind::kNumber, 131, {}, 0, nullptr},
    {2323, 1, UserFieldKind::kNumber, 132, {}, 0, nullptr},
    // two items separated by "|", or by the character 255 when the text contains one
    {2324, 128, UserFieldKind::kText, 133, kListMore2324, 127, nullptr},
    {2452, 1, UserFieldKind::kFlag, 134, {}, 0, nullptr},
    {2453, 1, UserFieldKind::kFlag, 135, {}, 0, nullptr},
    {2454, 1, UserFieldKind::kFlag, 136, {}, 0, nullptr},
    {2455, 1, UserFieldKind::kFlag, 137, {}, 0, nullptr},
    {2456, 1, UserFieldKind::kFlag, 138, {}, 0, nullptr},
    {2457, 1, UserFieldKind::kFlag, 139, {}, 0, nullptr},
    {2458, 1, UserFieldKind::kNumber, 140, {}, 0, nullptr},
    {2459, 1, UserFieldKind::kFlag, 141, {}, 0, nullptr},
    // second half of the three-state value
    {2460, 1, UserFieldKind::kFlag, 122, {}, 0, nullptr},
    // bit 0 (id 143), bit 1 (id 153)
    {2461, 1, UserFieldKind::kBits, 143, kListMore2461, 0, nullptr},
    {2462, 1, UserFieldKind::kFlag, 144, {}, 0, nullptr},
    {2463, 1, UserFieldKind::kNumber, 155, {}, 0, nullptr},
    {2464, 4, UserFieldKind::kNumber, 145, {}, 0, nullptr},
    // bit 0 (id 146); bits 2, 1, 3 inverted (ids 147, 148, 154)
    {2468, 1, UserFieldKind::kBits, 146, kListMore2468, 0, nullptr},
    // group shared with the groupware service
    {2469, 1, UserFieldKind::kFlag, 157, {}, 0, nullptr},
    // one character
    {2470, 1, UserFieldKind::kCharacter, 158, {}, 0, nullptr},
};

constexpr UserField kNotificationFields[] = {
    {516, 256, UserFieldKind::kText, 160, {}, 255, nullptr},
    {772, 1, UserFieldKind::kFlag, 161, {}, 0, nullptr},
    {776, 4, UserFieldKind::kNumber, 162, {}, 0, nullptr},
    {780, 1, UserFieldKind::kFlag, 163, {}, 0, nullptr},
    {781, 1, UserFieldKind::kFlag, 164, {}, 0, nullptr},
    {782, 1, UserFieldKind::kFlag, 165, {}, 0, nullptr},
    {783, 1, UserFieldKind::kFlag, 166, {}, 0, nullptr},
    {784, 1, UserFieldKind::kFlag, 167, {}, 0, nullptr},
    {785, 1, UserFieldKind::kNumber, 179, {}, 0, nullptr},
    {786, 1, UserFieldKind::kFlag, 168, {}, 0, nullptr},
    {1045, 256, UserFieldKind::kText, 169, {}, 255, nullptr},
    {1302, 1, UserFieldKind::kNumber, 171, {}, 0, nullptr},
    {1303, 1, UserFieldKind::kNumber, 172, {}, 0, nullptr},
    // notification file (relative to ConfigPath unless absolute); deleted with the account
    {1304, 256, UserFieldKind::kText, 173, {}, 255, nullptr},
    {1560, 256, UserFieldKind::kText, 175, {}, 255, nullptr},
    {1816, 256, UserFieldKind::kText, 176, {}, 255, nullptr},
    {2072, 256, UserFieldKind::kText, 177, {}, 255, nullptr},
    {2328, 256, UserFieldKind::kText, 178, {}, 255, nullptr},
    {2584, 1, UserFieldKind::kFlag, 174, {}, 0, nullptr},
};

constexpr UserField kRoutingFields[] = {
    // action (0 to 4)
    {516, 1, UserFieldKind::kNumber, 192, {}, 0, nullptr},
    // action target
    {517, 256, UserFieldKind::kText, 193, {}, 255, nullptr},
    // content-filter file of condition mode 0 (relative to ConfigPath unless absolute); deleted
    // with the account
    {773, 256, UserFieldKind::kText, 194, {}, 255, nullptr},
    // condition mode: 0 content filter, 1 program, 2 always
    {1029, 1, UserFieldKind::kNumber, 195, {}, 0, nullptr},
    // program of condition mode 1
    {1030, 256, UserFieldKind::kText, 196, {}, 255, nullptr},
    {1286, 1, UserFieldKind::kFlag, 197, {}, 0, nullptr},
    {1287, 256, UserFieldKind::kText, 198, {}, 255, nullptr},
    // parameter of condition mode 1
    {1543, 1, UserFieldKind::kNumber, 199, {}, 0, nullptr},
};

constexpr UserField kCatalogFields[] = {
    // catalog file (relative to ConfigPath unless absolute); deleted with the account
    {516, 256, UserFieldKind::kText, 213, {}, 255, nullptr},
    {772, 1, UserFieldKind::kNumber, 212, {}, 0, nullptr},
    {773, 1, UserFieldKind::kFlag, 210, {}, 0, nullptr},
    {774, 1, UserFieldKind::kFlag, 211, {}, 0, nullptr},
    {775, 1, UserFieldKind::kFlag, 209, {}, 0, nullptr},
    {776, 128, UserFieldKind::kText, 208, {}, 127, nullptr},
    {904, 1, UserFieldKind::kFlag, 214, {}, 0, nullptr},
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
