#include "schema/user_settings.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schema/user_record_layout.h"
#include "schema/server_config.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "schema/field_codec.h"
#include "schema/marshal.h"

namespace tarvelin {

namespace {

namespace uo = user_offsets;

constexpr int32_t kWholeRecordSetting = 6;
constexpr int32_t kExpiryDateSetting = 19;
constexpr int32_t kPasswordSetting = 33;
constexpr int32_t kShowNoPasswordsVariable = 248;
constexpr int32_t kShowAdminPasswordsVariable = 249;
constexpr char kBarSeparator = '|';
constexpr char kAlternativeBarSeparator = static_cast<char>(255);
constexpr FieldSlot kWholeRecord{FieldKind::kPacked, 0, kUserRecordSize};

// The further ids that are one bit of a byte (the rows' own ids are bit 0,
// plain kBit fields); inverted ones read 1 while the bit is clear (the bit
// refuses a service, the setting allows it).
struct BitSetting {
  int16_t id;
  FieldSlot bit;
};

constexpr FieldSlot Bit(int offset, int bit) { return {FieldKind::kBit, offset, 1, bit}; }
constexpr FieldSlot InvertedBit(int offset, int bit) {
  return {FieldKind::kInvertedBit, offset, 1, bit};
}

constexpr BitSetting kBitSettings[] = {
    {78, InvertedBit(uo::kAccessBits, 1)},    // SIP allowed
    {69, InvertedBit(uo::kServiceFlags, 1)},  // SMTP allowed
    {70, InvertedBit(uo::kServiceFlags, 2)},  // POP3 and IMAP allowed
    {74, InvertedBit(uo::kServiceFlags, 3)},  // instant messaging allowed
    {71, InvertedBit(uo::kServiceFlags, 4)},  // web mail allowed
    {72, InvertedBit(uo::kServiceFlags, 5)},  // instant antispam allowed
    {75, InvertedBit(uo::kServiceFlags, 6)},  // calendar allowed
    {73, InvertedBit(uo::kServiceFlags, 7)},  // challenge-response allowed
    {153, Bit(uo::kListBits2461, 1)},         {147, InvertedBit(uo::kListBits2468, 2)},
    {148, InvertedBit(uo::kListBits2468, 1)}, {154, InvertedBit(uo::kListBits2468, 3)},
};

const BitSetting* FindBitSetting(int32_t id) {
  for (const BitSetting& setting : kBitSettings) {
    if (setting.id == id) return &setting;
  }
  return nullptr;
}

Status UnknownSetting(int32_t id) {
  return Status::NotFound("account setting " + std::to_string(id) + " is unknown");
}

bool ConfigFlag(const ServerConfig& config, int32_t variable) {
  const ConfigField* field = FindConfigFieldById(variable);
  return field != nullptr && config.Byte(field->offset) != 0;
}

// The text before the first `separator`, all of it when there is none.
std::string Before(std::string_view text, char separator) {
  return std::string(text.substr(0, text.find(separator)));
}

// The text after the first `separator`, empty when there is none.
std::string After(std::string_view text, char separator) {
  const size_t at = text.find(separator);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + 1));
}

std::string Item(const std::vector<std::string>& items, size_t index) {
  return index < items.size() ? items[index] : std::string();
}

// Joins with ";" between the parts that are not empty, so that an empty
// side never leaves an empty first alias.
std::string JoinNonEmpty(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + ";" + second;
}

bool IsNumberAlias(std::string_view item) {
  return std::all_of(item.begin(), item.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '#' || c == '*' || c == '+' || c == '-';
  });
}

// The alias list split into name aliases and number aliases, each joined
// with ";" in list order. The first alias always counts as a name.
void SplitAliases(std::string_view list, std::string* names, std::string* numbers) {
  bool first = true;
  for (const std::string& part : Split(list, ';')) {
    const std::string item = Trim(part);
    if (item.empty()) continue;
    std::string* group = !first && IsNumberAlias(item) ? numbers : names;
    if (!group->empty()) *group += ';';
    *group += item;
    first = false;
  }
}

// The list member text: "A1,A2,A3,W;S;B1,B2" where W, the fourth ","-item
// on, carries ";" as "|". Ids 149 and 156 are views of it.
struct MemberText {
  std::vector<std::string> values;  // A1, A2, A3, B1, B2
  std::string rest;                 // W as stored
  std::string second;               // S
};

MemberText ParseMemberText(std::string_view text) {
  const std::vector<std::string> items = Split(text, ';');
  const std::string first = Item(items, 0);
  const std::vector<std::string> a = Split(first, ',');
  const std::vector<std::string> b = Split(Item(items, 2), ',');
  MemberText parsed;
  parsed.values = {Item(a, 0), Item(a, 1), Item(a, 2), Item(b, 0), Item(b, 1)};
  size_t comma = std::string::npos;
  for (size_t from = 0, count = 0; count < 3; ++count, from = comma + 1) {
    comma = first.find(',', from);
    if (comma == std::string::npos) break;
  }
  parsed.rest = comma == std::string::npos ? std::string() : first.substr(comma + 1);
  parsed.second = Item(items, 1);
  return parsed;
}

std::string BuildMemberText(const MemberText& parts) {
  const std::vector<std::string>& v = parts.values;
  return v[0] + "," + v[1] + "," + v[2] + "," + parts.rest + ";" + parts.second + ";" + v[3] + "," +
         v[4];
}

char BarSeparatorOf(std::string_view text) {
  return text.find(kAlternativeBarSeparator) != std::string_view::npos ? kAlternativeBarSeparator
                                                                       : kBarSeparator;
}

// 2 when the second half is set, else 1 when the first is, else 0.
uint32_t ThreeState(const uint8_t* record) {
  if (record[uo::kListThreeStateHigh] != 0) return 2;
  return record[uo::kListThreeStateLow] != 0 ? 1 : 0;
}

}  // namespace

Result<int32_t> GetUserSetting(const ServerConfig& config, const uint8_t* record, int32_t id,
                               void* buffer, int32_t size) {
  if (id == kWholeRecordSetting) return GetField(record, kWholeRecord, buffer, size);
  const UserField* field = FindUserFieldById(id);
  if (field == nullptr) return UnknownSetting(id);
  const uint8_t* at = record + field->offset;
  if (const BitSetting* bit = FindBitSetting(id)) return GetField(record, bit->bit, buffer, size);
  const std::string text =
      field->kind == FieldKind::kText ? GetPString(at, field->capacity()) : std::string();
  switch (id) {
    case 2:
      return PutText(Before(text, ';'), buffer, size);
    case 5:
      return PutText(Trim(After(text, ';')), buffer, size);
    case 23:
      return PutNumber(GetLE(at, 4) & 0xFFFF, buffer, size);
    case 65:
      return PutNumber(GetLE(at, 4) >> 16, buffer, size);
    case kPasswordSetting: {
      if (record[uo::kAccountType] != 0) return PutText("", buffer, size);
      const bool admin = record[uo::kServerAdmin] != 0 || record[uo::kDomainAdmin] != 0;
      const bool hidden = ConfigFlag(config, kShowNoPasswordsVariable) ||
                          (!ConfigFlag(config, kShowAdminPasswordsVariable) && admin);
      return PutText(hidden ? "*" : text, buffer, size);
    }
    case 42:
      return PutNumber(at[0] & 3, buffer, size);
    case 66:
      return PutNumber(at[0] >> 2, buffer, size);
    case 58:
      return PutNumber(
          GetLE(record + uo::kSendLimitHigh, 2) << 16 | GetLE(record + uo::kSendLimitLow, 2),
          buffer, size);
    case 46:
      return PutText(Trim(Before(text, ';')), buffer, size);
    case 68:
      return PutText(Before(After(text, ';'), '-'), buffer, size);
    case 76:
      return PutText(After(After(text, ';'), '-'), buffer, size);
    case 79:
    case 85: {
      std::string names, numbers;
      SplitAliases(text, &names, &numbers);
      return PutText(id == 79 ? names : numbers, buffer, size);
    }
    case 115:
    case 118:
      return PutText(Before(text, ';'), buffer, size);
    case 150:
      return PutText(Trim(After(text, ';')), buffer, size);
    case 151:
      return PutText(After(text, ';'), buffer, size);
    case 149: {
      const std::vector<std::string>& v = ParseMemberText(text).values;
      return PutText(v[0] + ";" + v[1] + ";" + v[2] + ";" + v[3] + ";" + v[4], buffer, size);
    }
    case 156:
      return PutText(ReplaceAll(ParseMemberText(text).rest, "|", ";"), buffer, size);
    case 122:
      return PutNumber(ThreeState(record), buffer, size);
    case 133:
      return PutText(Before(text, BarSeparatorOf(text)), buffer, size);
    case 152:
      return PutText(After(text, BarSeparatorOf(text)), buffer, size);
    default:
      break;
  }
  if (field->id != id) return UnknownSetting(id);
  return GetField(record, field->slot(), buffer, size);
}

Status SetUserSetting(uint8_t* record, int32_t id, const void* buffer, int32_t size) {
  if (id == kWholeRecordSetting) return SetField(record, kWholeRecord, buffer, size);
  const UserField* field = FindUserFieldById(id);
  if (field == nullptr) return UnknownSetting(id);
  uint8_t* at = record + field->offset;
  if (const BitSetting* bit = FindBitSetting(id)) return SetField(record, bit->bit, buffer, size);
  const std::string text =
      field->kind == FieldKind::kText ? GetPString(at, field->capacity()) : std::string();
  const auto set_text = [&](std::string_view value) { PutPString(at, field->capacity(), value); };
  switch (id) {
    case 2:
      set_text(Before(TakeText(buffer, size), ';') + ";" + After(text, ';'));
      return Status::Ok();
    case 5:
      set_text(Before(text, ';') + ";" + TakeText(buffer, size));
      return Status::Ok();
    case 23:
      PutLE(at, 4, (GetLE(at, 4) & 0xFFFF0000u) | (TakeNumber(buffer, size) & 0xFFFF));
      return Status::Ok();
    case 65:
      PutLE(at, 4, (GetLE(at, 4) & 0xFFFF) | TakeNumber(buffer, size) << 16);
      return Status::Ok();
    case 42:  // the number is ORed in whole: above 3 it also sets bits of id 66
      at[0] = static_cast<uint8_t>((at[0] & ~3u) | TakeNumber(buffer, size));
      return Status::Ok();
    case 66:
      at[0] = static_cast<uint8_t>((at[0] & 3u) | TakeNumber(buffer, size) << 2);
      return Status::Ok();
    case 43:  // likewise: above 1 it also refuses services
      at[0] = static_cast<uint8_t>((at[0] & ~1u) | TakeNumber(buffer, size));
      return Status::Ok();
    case 58: {
      const uint32_t value = TakeNumber(buffer, size);
      PutLE(record + uo::kSendLimitLow, 2, value & 0xFFFF);
      PutLE(record + uo::kSendLimitHigh, 2, value >> 16);
      return Status::Ok();
    }
    case 46:
      set_text(TakeText(buffer, size) + ";" + After(text, ';'));
      return Status::Ok();
    case 68:
    case 76: {
      const std::string given = TakeText(buffer, size);
      if (given.empty()) return Status::Ok();
      const std::string period = After(text, ';');
      const std::string from = id == 68 ? given : Before(period, '-');
      const std::string to = id == 76 ? given : After(period, '-');
      set_text(Before(text, ';') + ";" + from + "-" + to);
      return Status::Ok();
    }
    case 79:
    case 85: {
      std::string names, numbers;
      SplitAliases(text, &names, &numbers);
      const std::string given = TakeText(buffer, size);
      set_text(id == 79 ? JoinNonEmpty(given, numbers) : JoinNonEmpty(names, given));
      return Status::Ok();
    }
    case 115:
      set_text(TakeText(buffer, size) + ";" + Trim(After(text, ';')));
      return Status::Ok();
    case 118:
      set_text(TakeText(buffer, size) + ";" + After(text, ';'));
      return Status::Ok();
    case 150:
    case 151:
      set_text(Before(text, ';') + ";" + TakeText(buffer, size));
      return Status::Ok();
    case 149: {
      MemberText parts = ParseMemberText(text);
      const std::vector<std::string> given = Split(TakeText(buffer, size), ';');
      for (size_t i = 0; i < parts.values.size(); ++i) parts.values[i] = Item(given, i);
      set_text(BuildMemberText(parts));
      return Status::Ok();
    }
    case 156: {
      MemberText parts = ParseMemberText(text);
      parts.rest = ReplaceAll(TakeText(buffer, size), ";", "|");
      set_text(BuildMemberText(parts));
      return Status::Ok();
    }
    case 122: {
      const uint32_t value = TakeNumber(buffer, size);
      record[uo::kListThreeStateLow] = value == 0 ? 0 : 1;
      record[uo::kListThreeStateHigh] = value == 2 ? 1 : 0;
      return Status::Ok();
    }
    case 133: {
      const char separator = BarSeparatorOf(text);
      set_text(TakeText(buffer, size) + kBarSeparator + After(text, separator));
      return Status::Ok();
    }
    case 152: {
      const char separator = BarSeparatorOf(text);
      set_text(Before(text, separator) + kBarSeparator + TakeText(buffer, size));
      return Status::Ok();
    }
    case kExpiryDateSetting:  // a short buffer stores -3.0, as it always has
      PutDouble(at, TakeDate(buffer, size));
      return Status::Ok();
    default:
      break;
  }
  if (field->id != id) return UnknownSetting(id);
  return SetField(record, field->slot(), buffer, size);
}

Result<SettingShape> DescribeUserSetting(int32_t id) {
  if (id == kWholeRecordSetting) return ShapeOfField(kWholeRecord);
  const UserField* field = FindUserFieldById(id);
  if (field == nullptr) return UnknownSetting(id);
  switch (id) {
    case 23:  // the halves of a 32-bit field
    case 65:
      return SettingShape{SettingKind::kNumber, 2};
    case 58:  // two 16-bit halves
      return SettingShape{SettingKind::kNumber, 4};
    case 42:  // bit groups of one byte, and a three-state number
    case 66:
    case 122:
      return SettingShape{SettingKind::kNumber, 1};
    default:
      break;
  }
  if (const BitSetting* bit = FindBitSetting(id)) return ShapeOfField(bit->bit);
  return ShapeOfField(field->slot());
}

std::vector<int32_t> UserSettingIds(uint8_t account_type) {
  std::vector<int32_t> ids = {kWholeRecordSetting};
  const auto add_part = [&ids](UserRecordPart part) {
    for (const UserField& field : UserRecordFields(part)) {
      ids.push_back(field.id);
      ids.insert(ids.end(), field.more_ids.begin(), field.more_ids.end());
    }
  };
  add_part(UserRecordPart::kCommon);
  if (const std::optional<UserRecordPart> variant = VariantOfAccountType(account_type)) {
    add_part(*variant);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

Result<SettingValue> UserSettingValue(const ServerConfig& config, const uint8_t* record,
                                      int32_t id) {
  const Result<SettingShape> shape = DescribeUserSetting(id);
  if (!shape.ok()) return shape.status();
  return ReadSettingValue(*shape, [&](void* buffer, int32_t size) {
    return GetUserSetting(config, record, id, buffer, size);
  });
}

Status SetUserSettingValue(uint8_t* record, int32_t id, const SettingValue& value) {
  const Result<SettingShape> shape = DescribeUserSetting(id);
  if (!shape.ok()) return shape.status();
  return WriteSettingValue(*shape, value, [&](const void* buffer, int32_t size) {
    return SetUserSetting(record, id, buffer, size);
  });
}

}  // namespace tarvelin
