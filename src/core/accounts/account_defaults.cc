#include "core/accounts/account_defaults.h"

#include <cmath>

#include "schema/user_record_layout.h"
#include "schema/server_config.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "platform/local_now.h"
#include "platform/file_system.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

namespace uo = user_offsets;

constexpr int32_t kApplyDefaultsVariable = 77;
constexpr const char* kDefaultsFileName = "default.ini";

enum class Effect : uint8_t {
  kNumber,           // the named field = the number (its low bytes)
  kText,             // the named field = the text, cut to its capacity
  kFlagIsOne,        // the named flag = (number is 1)
  kSetBitWhenOne,    // sets the bit when the number is 1
  kSetBitUnlessOne,  // sets the bit (refuses a service) when the number is not 1
  kSpamFilter,       // AntiSpamIndex = 2 when the number is 1
  kMailboxType,      // MailboxMode from the mailbox type: 0 -> 0, 1 -> 2, 2 -> 1
  kSendLimit,        // the 32-bit limit over its two 16-bit halves
  kInactivity,       // the inactivity limit in the high half, the low half cleared
  kExpiresInDays,    // the account expires that many days from today
};

struct AccountKey {
  const char* key;
  Effect effect;
  const char* field;  // the layout row of kNumber, kText, kFlagIsOne and kSpamFilter
  uint16_t offset;    // the byte of the bit effects
  uint8_t bit;
};

constexpr AccountKey kAccountKeys[] = {
    {"AntiSpamIndex", Effect::kNumber, "AntiSpamIndex", 0, 0},
    {"SpamFilter", Effect::kSpamFilter, "AntiSpamIndex", 0, 0},
    {"IMAP4", Effect::kNumber, "MailboxMode", 0, 0},
    {"MailboxType", Effect::kMailboxType, nullptr, 0, 0},
    {"RespondWith", Effect::kNumber, "ResponderMode", 0, 0},
    {"Responder", Effect::kNumber, "ResponderMode", 0, 0},
    {"RespondWithFile", Effect::kText, "RespondWithFile", 0, 0},
    {"ValidityWarningFile", Effect::kText, "ValidityWarningFile", 0, 0},
    {"ForwardTo", Effect::kText, "ForwardTo", 0, 0},
    {"IncomingCopy", Effect::kText, "IncomingCopy", 0, 0},
    {"OutgoingCopy", Effect::kText, "OutgoingCopy", 0, 0},
    {"LimitMailboxSize", Effect::kFlagIsOne, "LimitMailboxSize", 0, 0},
    {"LimitMailboxSizeValue", Effect::kNumber, "LimitMailboxSizeValue", 0, 0},
    {"MegabyteSendLimit", Effect::kNumber, "MegabyteSendLimit", 0, 0},
    {"NumberSendLimit", Effect::kSendLimit, nullptr, 0, 0},
    {"MaxMessageSize", Effect::kNumber, "MaxMessageSize", 0, 0},
    {"LocalMailOnly", Effect::kSetBitWhenOne, nullptr, uo::kServiceFlags, 0},
    {"DeleteMailOlder", Effect::kFlagIsOne, "DeleteMailOlder", 0, 0},
    {"DeleteMailOlderValue", Effect::kNumber, "DeleteMailOlderValue", 0, 0},
    {"ExpiresIfInactive", Effect::kInactivity, nullptr, 0, 0},
    {"DeleteAccountWhenExpired", Effect::kFlagIsOne, "DeleteAccountWhenExpired", 0, 0},
    {"ExpiresInDays", Effect::kExpiresInDays, nullptr, 0, 0},
    {"XEnvelopeTo", Effect::kFlagIsOne, "XEnvelopeTo", 0, 0},
    {"NoMailingList", Effect::kFlagIsOne, "NoMailingList", 0, 0},
    {"AuthMode", Effect::kNumber, "AuthMode", 0, 0},
    {"AuthModeValue", Effect::kText, "AuthModeValue", 0, 0},
    {"ServicesAccessSMTP", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 1},
    {"ServicesAccessPOP3IMAP", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 2},
    {"ServicesAccessIM", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 3},
    {"ServicesAccessWebMail", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 4},
    {"ServicesAccessInstantAntiSpam", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 5},
    {"ServicesAccessCalendar", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 6},
    {"ServicesAccessChallengeResponse", Effect::kSetBitUnlessOne, nullptr, uo::kServiceFlags, 7},
    {"ServicesAccessAV", Effect::kSetBitWhenOne, nullptr, uo::kAccessBits, 0},
    {"ServicesAccessSIP", Effect::kSetBitUnlessOne, nullptr, uo::kAccessBits, 1},
    {"SpamFolderMode", Effect::kNumber, "SpamFolderMode", 0, 0},
};

const AccountKey* FindAccountKey(const DefaultsLine& line) {
  for (const AccountKey& key : kAccountKeys) {
    if (line.Is(key.key)) return &key;
  }
  return nullptr;
}

void ApplyKey(const AccountKey& key, const DefaultsLine& line, double today, uint8_t* record) {
  const auto number = static_cast<uint32_t>(line.Number());
  const UserField* field = key.field != nullptr ? FindUserFieldByName(key.field) : nullptr;
  switch (key.effect) {
    case Effect::kNumber:
      if (field != nullptr) PutLE(record + field->offset, field->width, number);
      break;
    case Effect::kText:
      if (field != nullptr) PutPString(record + field->offset, field->capacity(), line.value);
      break;
    case Effect::kFlagIsOne:
      if (field != nullptr) record[field->offset] = line.Number() == 1 ? 1 : 0;
      break;
    case Effect::kSetBitWhenOne:
      if (line.Number() == 1) record[key.offset] |= static_cast<uint8_t>(1u << key.bit);
      break;
    case Effect::kSetBitUnlessOne:
      if (line.Number() != 1) record[key.offset] |= static_cast<uint8_t>(1u << key.bit);
      break;
    case Effect::kSpamFilter:
      if (field != nullptr && line.Number() == 1) PutLE(record + field->offset, field->width, 2);
      break;
    case Effect::kMailboxType: {
      static constexpr uint8_t kModeOfType[] = {0, 2, 1};
      if (line.Number() >= 0 && line.Number() <= 2) {
        record[uo::kMailboxMode] = kModeOfType[line.Number()];
      }
      break;
    }
    case Effect::kSendLimit:
      PutLE(record + uo::kSendLimitLow, 2, number & 0xFFFF);
      PutLE(record + uo::kSendLimitHigh, 2, number >> 16);
      break;
    case Effect::kInactivity:
      PutLE(record + uo::kInactivity, 4, number << 16);
      break;
    case Effect::kExpiresInDays:
      PutDouble(record + uo::kAccountExpiryDate, std::floor(today) + number);
      record[uo::kAccountExpires] = 1;
      break;
  }
}

// A domain name that can stand for one directory below ConfigPath.
bool IsPlainDirectoryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string_view::npos;
}

}  // namespace

void ApplyAccountKeys(const std::vector<DefaultsLine>& lines, double today, uint8_t* record) {
  for (const DefaultsLine& line : lines) {
    if (const AccountKey* key = FindAccountKey(line)) ApplyKey(*key, line, today, record);
  }
}

std::string AccountDefaultsPath(const Context& context, std::string_view domain) {
  if (IsPlainDirectoryName(domain)) {
    const std::string own =
        context.api.config_path + ToLower(domain) + kPathSeparator + kDefaultsFileName;
    if (FileExists(context.env(), own)) return own;
  }
  return context.api.config_path + kDefaultsFileName;
}

void ApplyAccountDefaults(const Context& context, std::string_view domain, uint8_t* record) {
  std::vector<DefaultsLine> lines;
  if (!ReadDefaultsFile(context.env(), AccountDefaultsPath(context, domain), &lines)) return;
  ApplyAccountKeys(lines, LocalNowAsDateTime(context.env()), record);
}

bool SetUserDefaults(const Context& context, uint8_t* record, int32_t force) {
  return SetUserDefaultsOfDomain(context, "", record, force);
}

bool SetUserDefaultsOfDomain(const Context& context, std::string_view domain, uint8_t* record,
                             int32_t force) {
  const ConfigField* apply = FindConfigFieldById(kApplyDefaultsVariable);
  if (force == 0 && (apply == nullptr || context.config.record.Byte(apply->offset) == 0)) {
    return false;
  }
  ApplyAccountDefaults(context, domain, record);
  return true;
}

}  // namespace tarvelin
