#include "schema/user_record_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace tarvelin {
namespace {

constexpr UserRecordPart kAllParts[] = {
    UserRecordPart::kCommon,  UserRecordPart::kUser,         UserRecordPart::kExecutable,
    UserRecordPart::kList,    UserRecordPart::kNotification, UserRecordPart::kRouting,
    UserRecordPart::kCatalog,
};
constexpr UserRecordPart kVariants[] = {
    UserRecordPart::kUser,         UserRecordPart::kExecutable, UserRecordPart::kList,
    UserRecordPart::kNotification, UserRecordPart::kRouting,    UserRecordPart::kCatalog,
};
constexpr int kCommonEnd = 516;

TEST(UserRecordLayout, EachPartIsOrderedAndNeverOverlapsInsideTheRecord) {
  for (UserRecordPart part : kAllParts) {
    SCOPED_TRACE(static_cast<int>(part));
    // The variants start where the common part ends.
    int end_of_previous = part == UserRecordPart::kCommon ? 0 : kCommonEnd;
    for (const UserField& field : UserRecordFields(part)) {
      EXPECT_GE(field.offset, end_of_previous) << "field at " << field.offset << " overlaps";
      EXPECT_GT(field.width, 0);
      end_of_previous = field.offset + field.width;
    }
    EXPECT_LE(end_of_previous, part == UserRecordPart::kCommon ? kCommonEnd : kUserRecordSize);
  }
}

TEST(UserRecordLayout, KindsHaveTheirWidthsAndTextsTheirCapacity) {
  for (UserRecordPart part : kAllParts) {
    for (const UserField& field : UserRecordFields(part)) {
      SCOPED_TRACE(field.offset);
      switch (field.kind) {
        case FieldKind::kFlag:
        case FieldKind::kCharacter:
        case FieldKind::kBit:
          EXPECT_EQ(field.width, 1);
          break;
        case FieldKind::kNumber:
          EXPECT_TRUE(field.width == 1 || field.width == 2 || field.width == 4);
          break;
        case FieldKind::kDate:
          EXPECT_EQ(field.width, 8);
          break;
        case FieldKind::kText:
          EXPECT_LE(field.capacity(), 255);
          break;
        default:
          ADD_FAILURE() << "an account row of kind " << static_cast<int>(field.kind);
      }
    }
  }
}

// Every id belongs to one part, and inside it to one row; only the split
// values 58 (send limit halves) and 122 (three-state) span two rows.
TEST(UserRecordLayout, IdsBelongToOnePartAndOneRow) {
  std::map<int, int> rows_of_id;
  std::map<int, UserRecordPart> part_of_id;
  for (UserRecordPart part : kAllParts) {
    for (const UserField& field : UserRecordFields(part)) {
      std::set<int> ids(field.more_ids.begin(), field.more_ids.end());
      ASSERT_NE(field.id, kNoUserSetting) << field.offset;
      ids.insert(field.id);
      for (int id : ids) {
        EXPECT_TRUE(id >= 0 && id <= 214) << id;
        const UserField* found = FindUserFieldById(id);
        ASSERT_NE(found, nullptr) << id;
        if (id != 58 && id != 122) {
          EXPECT_EQ(found, &field) << id;
        }
        ++rows_of_id[id];
        const auto [it, fresh] = part_of_id.emplace(id, part);
        EXPECT_TRUE(fresh || it->second == part) << "id " << id << " in two parts";
      }
    }
  }
  for (const auto& [id, rows] : rows_of_id) {
    EXPECT_EQ(rows, id == 58 || id == 122 ? 2 : 1) << "id " << id;
  }
}

TEST(UserRecordLayout, SampleOfIdsMatchesOffsetsKindsAndWidths) {
  struct Case {
    int id;
    int offset;
    FieldKind kind;
    int width;
    int capacity;
  };
  const Case cases[] = {
      {0, 0, FieldKind::kNumber, 1, 0},         {1, 2, FieldKind::kNumber, 2, 0},
      {5, 4, FieldKind::kText, 255, 254},       {78, 259, FieldKind::kBit, 1, 0},
      {85, 260, FieldKind::kText, 256, 255},    {16, 516, FieldKind::kText, 128, 127},
      {19, 648, FieldKind::kDate, 8, 0},        {65, 660, FieldKind::kNumber, 4, 0},
      {26, 666, FieldKind::kText, 92, 91},      {34, 900, FieldKind::kText, 117, 116},
      {58, 1018, FieldKind::kNumber, 2, 0},     {57, 1026, FieldKind::kNumber, 2, 0},
      {73, 1294, FieldKind::kBit, 1, 0},        {76, 1552, FieldKind::kText, 128, 127},
      {61, 1680, FieldKind::kText, 64, 63},     {55, 2592, FieldKind::kText, 128, 127},
      {83, 1284, FieldKind::kNumber, 1, 0},     {84, 1285, FieldKind::kText, 256, 255},
      {156, 774, FieldKind::kText, 256, 255},   {125, 1931, FieldKind::kFlag, 1, 0},
      {132, 2323, FieldKind::kNumber, 1, 0},    {139, 2457, FieldKind::kFlag, 1, 0},
      {152, 2324, FieldKind::kText, 128, 127},  {154, 2468, FieldKind::kBit, 1, 0},
      {158, 2470, FieldKind::kCharacter, 1, 0}, {167, 784, FieldKind::kFlag, 1, 0},
      {179, 785, FieldKind::kNumber, 1, 0},     {174, 2584, FieldKind::kFlag, 1, 0},
      {193, 517, FieldKind::kText, 256, 255},   {199, 1543, FieldKind::kNumber, 1, 0},
      {209, 775, FieldKind::kFlag, 1, 0},       {214, 904, FieldKind::kFlag, 1, 0},
  };
  for (const Case& c : cases) {
    const UserField* field = FindUserFieldById(c.id);
    ASSERT_NE(field, nullptr) << c.id;
    EXPECT_EQ(field->offset, c.offset) << c.id;
    EXPECT_EQ(field->kind, c.kind) << c.id;
    EXPECT_EQ(field->width, c.width) << c.id;
    EXPECT_EQ(field->capacity(), c.capacity) << c.id;
  }
}

TEST(UserRecordLayout, UnknownIdsReachNoField) {
  for (int id : {-1, 6,   7,   15,  20,  21,  28,  29,  35,  41,  56,
                 86, 111, 142, 159, 170, 180, 191, 200, 207, 215, 4096}) {
    EXPECT_EQ(FindUserFieldById(id), nullptr) << id;
  }
}

TEST(UserRecordLayout, NamedFieldsAndTheOffsetsTheCodeUses) {
  const std::map<std::string, int> named = {
      {"AccountType", 0},
      {"AntiSpamIndex", 2},
      {"AliasList", 260},
      {"Mailbox", 516},
      {"AccountExpires", 645},
      {"AccountExpiryDate", 648},
      {"MailboxMode", 665},
      {"Password", 772},
      {"NumberSendLimit", 1018},
      {"ServerAdmin", 1022},
      {"MegabyteSendLimit", 1026},
      {"MailboxPath", 1028},
      {"DomainAdmin", 1284},
      {"ResponderMode", 1293},
      {"ServiceFlags", 1294},
      {"ForwardTo", 1296},
      {"RespondWithFile", 1552},
      {"ValidityWarningFile", 2064},
      {"DeleteMailOlderValue", 2324},
  };
  for (const auto& [name, offset] : named) {
    const UserField* field = FindUserFieldByName(name);
    ASSERT_NE(field, nullptr) << name;
    EXPECT_EQ(field->offset, offset) << name;
  }
  EXPECT_EQ(FindUserFieldByName("forwardto"), nullptr) << "names are exact";

  namespace uo = user_offsets;
  const std::map<int, int> offset_of_id = {
      {0, uo::kAccountType},        {2, uo::kNameAndNote},      {78, uo::kAccessBits},
      {3, uo::kAliasList},          {65, uo::kInactivity},      {18, uo::kAccountExpires},
      {19, uo::kAccountExpiryDate}, {25, uo::kMailboxMode},     {33, uo::kPassword},
      {36, uo::kServerAdmin},       {38, uo::kDomainAdmin},     {66, uo::kResponderMode},
      {69, uo::kServiceFlags},      {68, uo::kRespondWithFile}, {150, uo::kListMemberFile},
      {151, uo::kListPair},         {152, uo::kListBarPair},    {153, uo::kListBits2461},
      {147, uo::kListBits2468},     {158, uo::kListCharacter},
  };
  for (const auto& [id, offset] : offset_of_id) {
    EXPECT_EQ(FindUserFieldById(id)->offset, offset) << id;
  }
  bool low = false, high = false, three_low = false, three_high = false;
  for (const UserField& field : UserRecordFields(UserRecordPart::kUser)) {
    low |= field.id == 58 && field.offset == uo::kSendLimitLow;
    high |= field.id == 58 && field.offset == uo::kSendLimitHigh;
  }
  for (const UserField& field : UserRecordFields(UserRecordPart::kList)) {
    three_low |= field.id == 122 && field.offset == uo::kListThreeStateLow;
    three_high |= field.id == 122 && field.offset == uo::kListThreeStateHigh;
  }
  EXPECT_TRUE(low && high && three_low && three_high);
}

TEST(UserRecordLayout, AccountTypesChooseTheirVariant) {
  const std::map<int, UserRecordPart> variants = {
      {0, UserRecordPart::kUser},       {1, UserRecordPart::kList},
      {2, UserRecordPart::kExecutable}, {3, UserRecordPart::kNotification},
      {4, UserRecordPart::kRouting},    {5, UserRecordPart::kCatalog},
      {6, UserRecordPart::kList},       {7, UserRecordPart::kList},
  };
  for (const auto& [type, part] : variants) {
    EXPECT_EQ(VariantOfAccountType(static_cast<uint8_t>(type)), part) << type;
  }
  EXPECT_EQ(VariantOfAccountType(8), std::nullopt);
  EXPECT_EQ(VariantOfAccountType(255), std::nullopt);
}

}  // namespace
}  // namespace tarvelin
