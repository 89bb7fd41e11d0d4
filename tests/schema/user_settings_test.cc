#include "schema/user_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "schema/user_record_layout.h"
#include "foundation/bytes.h"
#include "schema/marshal.h"
#include "schema/server_config.h"
#include "support/status_testing.h"

namespace tarvelin {
namespace {

using Record = std::array<uint8_t, kUserRecordSize>;

// The kind DescribeUserSetting gives an id; nullopt for an unknown id.
std::optional<SettingKind> ShapeKindOf(int32_t id) {
  const Result<SettingShape> shape = DescribeUserSetting(id);
  return shape.ok() ? std::optional<SettingKind>(shape->kind) : std::nullopt;
}

class UserSettingsTest : public ::testing::Test {
 protected:
  Result<int32_t> Get(int32_t id, void* buffer, int32_t size) {
    return GetUserSetting(config_, record_.data(), id, buffer, size);
  }
  Status Set(int32_t id, const void* buffer, int32_t size) {
    return SetUserSetting(record_.data(), id, buffer, size);
  }
  std::string GetText(int32_t id) {
    std::vector<char> buffer(8192);
    const Result<int32_t> n = Get(id, buffer.data(), static_cast<int32_t>(buffer.size()));
    return n.ok() ? std::string(buffer.data(), static_cast<size_t>(*n))
                  : "<" + KindOf(n.status()) + ">";
  }
  void SetText(int32_t id, const std::string& text) {
    ASSERT_EQ(Set(id, text.data(), static_cast<int32_t>(text.size())), StatusCode::kOk) << id;
  }
  uint32_t GetNumber(int32_t id) {
    uint32_t value = 0;
    EXPECT_EQ(Get(id, &value, 4), 4) << id;
    return value;
  }
  void SetNumber(int32_t id, uint32_t value) {
    ASSERT_EQ(Set(id, &value, 4), StatusCode::kOk) << id;
  }
  uint8_t GetFlag(int32_t id) {
    uint8_t value = 0xEE;
    EXPECT_EQ(Get(id, &value, 1), 1) << id;
    return value;
  }
  void SetFlag(int32_t id, uint8_t value) { ASSERT_EQ(Set(id, &value, 1), StatusCode::kOk) << id; }

  void Store(int offset, int capacity, const std::string& text) {
    PutPString(record_.data() + offset, capacity, text);
  }
  std::string Stored(int offset, int capacity) {
    return GetPString(record_.data() + offset, capacity);
  }

  ServerConfig config_;
  Record record_{};
};

Record RandomRecord(uint32_t seed) {
  std::mt19937 generator(seed);
  Record record;
  for (uint8_t& byte : record) byte = static_cast<uint8_t>(generator());
  return record;
}

// Offsets of the bytes that differ between two records.
std::vector<int> ChangedBytes(const Record& before, const Record& after) {
  std::vector<int> changed;
  for (int i = 0; i < kUserRecordSize; ++i) {
    if (before[static_cast<size_t>(i)] != after[static_cast<size_t>(i)]) changed.push_back(i);
  }
  return changed;
}

TEST_F(UserSettingsTest, UnknownIdsAreNotFoundAndChangeNothing) {
  record_ = RandomRecord(7);
  const Record before = record_;
  std::vector<int32_t> unknown = {-1, -100, 215, 216, 1000, 4097};
  for (int id = 7; id <= 15; ++id) unknown.push_back(id);
  for (int id : {20, 21, 28, 29, 35, 41, 56, 142, 159, 170}) unknown.push_back(id);
  for (int id = 86; id <= 111; ++id) unknown.push_back(id);
  for (int id = 180; id <= 191; ++id) unknown.push_back(id);
  for (int id = 200; id <= 207; ++id) unknown.push_back(id);
  const std::string value = "12345678";
  std::array<char, 64> buffer{};
  for (int32_t id : unknown) {
    EXPECT_EQ(Get(id, buffer.data(), 64), StatusCode::kNotFound) << id;
    EXPECT_EQ(Set(id, value.data(), 8), StatusCode::kNotFound) << id;
    EXPECT_EQ(ShapeKindOf(id), std::nullopt) << id;
  }
  EXPECT_EQ(record_, before);
}

// The plain ids by kind, as the settings table lists them.
const std::vector<int32_t> kPlainNumbers = {0,   1,   17,  24,  25,  27,  40,  51,  53,  57,
                                            64,  67,  83,  114, 119, 126, 127, 131, 132, 140,
                                            145, 155, 162, 171, 172, 179, 192, 195, 199, 212};
const std::vector<int32_t> kPlainFlags = {18,  22,  30,  31,  32,  36,  38,  39,  44,  50,  52,
                                          59,  60,  62,  63,  113, 116, 117, 124, 125, 130, 134,
                                          135, 136, 137, 138, 139, 141, 144, 157, 161, 163, 164,
                                          165, 166, 167, 168, 174, 197, 209, 210, 211, 214};
const std::vector<int32_t> kPlainTexts = {
    3,   16,  26,  34,  37,  45,  47,  48,  49,  54,  55,  61,  77,  80,  81,  82,  84,  112,
    120, 121, 123, 128, 129, 160, 169, 173, 175, 176, 177, 178, 193, 194, 196, 198, 208, 213};

// The account type whose variant holds `id`.
uint8_t TypeHolding(int32_t id) {
  for (uint8_t type = 0; type <= 7; ++type) {
    for (const UserField& field : UserRecordFields(*VariantOfAccountType(type))) {
      if (field.id == id) return type;
    }
  }
  return 0;  // the common part
}

// Each plain id on a record of its own type full of other bytes: the value
// lands in its field only and reads back through its kind.
TEST_F(UserSettingsTest, PlainNumbersRoundTripThroughTheirFieldWidth) {
  for (int32_t id : kPlainNumbers) {
    SCOPED_TRACE(id);
    record_ = RandomRecord(static_cast<uint32_t>(id));
    record_[0] = TypeHolding(id);
    if (id == 0) continue;  // the type itself: below
    const UserField* field = FindUserFieldById(id);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(ShapeKindOf(id), SettingKind::kNumber);
    const Record before = record_;
    SetNumber(id, 0x89ABCDEF);
    const uint32_t mask = field->width == 4 ? 0xFFFFFFFF : (1u << (8 * field->width)) - 1;
    EXPECT_EQ(GetLE(record_.data() + field->offset, field->width), 0x89ABCDEF & mask);
    EXPECT_EQ(GetNumber(id), 0x89ABCDEF & mask);
    for (int offset : ChangedBytes(before, record_)) {
      EXPECT_TRUE(offset >= field->offset && offset < field->offset + field->width) << offset;
    }
    uint8_t low = 0;
    EXPECT_EQ(Get(id, &low, 1), 1);
    EXPECT_EQ(low, 0xEF);
  }
  record_.fill(0);
  SetNumber(0, 7);
  EXPECT_EQ(record_[0], 7);
  EXPECT_EQ(GetNumber(0), 7u);
}

TEST_F(UserSettingsTest, PlainFlagsRoundTripAsStoredBytes) {
  for (int32_t id : kPlainFlags) {
    SCOPED_TRACE(id);
    record_ = RandomRecord(static_cast<uint32_t>(id));
    record_[0] = TypeHolding(id);
    const UserField* field = FindUserFieldById(id);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(ShapeKindOf(id), SettingKind::kFlag);
    const Record before = record_;
    SetFlag(id, 5);
    EXPECT_EQ(record_[field->offset], 5) << "a flag byte is stored as given";
    EXPECT_EQ(GetFlag(id), 5);
    const uint32_t wide = 0x100;
    ASSERT_EQ(Set(id, &wide, 4), StatusCode::kOk);
    EXPECT_EQ(GetFlag(id), 1) << "a 4-byte flag is true when nonzero";
    for (int offset : ChangedBytes(before, record_)) EXPECT_EQ(offset, field->offset);
  }
}

TEST_F(UserSettingsTest, PlainTextsAreTrimmedCutToCapacityAndStayInTheirField) {
  for (int32_t id : kPlainTexts) {
    SCOPED_TRACE(id);
    record_ = RandomRecord(static_cast<uint32_t>(id));
    record_[0] = TypeHolding(id);
    const UserField* field = FindUserFieldById(id);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(ShapeKindOf(id), SettingKind::kText);
    const Record before = record_;
    SetText(id, "  value  ");
    EXPECT_EQ(GetText(id), "value");
    const std::string long_text(300, 'x');
    SetText(id, long_text);
    EXPECT_EQ(GetText(id), long_text.substr(0, field->capacity()));
    EXPECT_EQ(record_[field->offset], field->capacity());
    for (int offset : ChangedBytes(before, record_)) {
      EXPECT_TRUE(offset >= field->offset && offset < field->offset + field->width) << offset;
    }
  }
}

TEST_F(UserSettingsTest, DateTimeTakesEightBytesAndShortBuffersGiveMinusThree) {
  const double when = 45000.75;
  ASSERT_EQ(Set(19, &when, 8), StatusCode::kOk);
  EXPECT_EQ(GetDouble(record_.data() + 648), when);
  double out = 0;
  EXPECT_EQ(Get(19, &out, 8), 8);
  EXPECT_EQ(out, when);
  EXPECT_EQ(Get(19, &out, 7), StatusCode::kBufferTooSmall);
  ASSERT_EQ(Set(19, &when, 4), StatusCode::kOk);
  EXPECT_EQ(GetDouble(record_.data() + 648), -3.0) << "a short date buffer reads as -3.0";
  EXPECT_EQ(ShapeKindOf(19), SettingKind::kDateTime);
}

TEST_F(UserSettingsTest, OutputBuffersTooSmallWriteNothing) {
  Store(260, 255, "alias");
  std::array<char, 8> buffer;
  buffer.fill('#');
  EXPECT_EQ(Get(3, buffer.data(), 4), StatusCode::kBufferTooSmall);
  EXPECT_EQ(std::string(buffer.data(), 8), "########");
  EXPECT_EQ(Get(3, buffer.data(), 5), 5);
  EXPECT_EQ(Get(36, buffer.data(), 0), StatusCode::kBufferTooSmall);
  EXPECT_EQ(Get(27, buffer.data(), 0), StatusCode::kBufferTooSmall);
  EXPECT_EQ(Get(3, nullptr, 100), StatusCode::kBufferTooSmall);
  Store(260, 255, "");
  EXPECT_EQ(Get(3, nullptr, 0), 0) << "an empty text needs no buffer";
}

TEST_F(UserSettingsTest, DisplayNameAndNoteShareTheFirstSemicolon) {
  Store(4, 254, "O;a;b");
  SetText(2, "N;x");
  EXPECT_EQ(Stored(4, 254), "N;a;b");
  EXPECT_EQ(GetText(2), "N");
  EXPECT_EQ(GetText(5), "a;b");

  SetText(5, "new note");
  EXPECT_EQ(Stored(4, 254), "N;new note");

  Store(4, 254, "O; a ;b ");
  SetText(2, "M");
  EXPECT_EQ(Stored(4, 254), "M; a ;b ") << "the stored note keeps its blanks";
  EXPECT_EQ(GetText(5), "a ;b") << "the note is handed out trimmed";

  Store(4, 254, "Only a name");
  EXPECT_EQ(GetText(2), "Only a name");
  EXPECT_EQ(GetText(5), "") << "no separator, no note";
  SetText(5, "note");
  EXPECT_EQ(Stored(4, 254), "Only a name;note");

  SetText(2, std::string(300, 'n'));
  EXPECT_EQ(Stored(4, 254).size(), 254u);
  EXPECT_EQ(GetText(5), "") << "the cut falls on the name; the note went with it";
}

TEST_F(UserSettingsTest, SingleBitSettingsTouchOnlyTheirBit) {
  struct Case {
    int32_t id;
    int offset;
    int bit;
    bool inverted;
  };
  const Case cases[] = {
      {4, 259, 0, false},   {78, 259, 1, true},    {69, 1294, 1, true},   {70, 1294, 2, true},
      {74, 1294, 3, true},  {71, 1294, 4, true},   {72, 1294, 5, true},   {75, 1294, 6, true},
      {73, 1294, 7, true},  {143, 2461, 0, false}, {153, 2461, 1, false}, {146, 2468, 0, false},
      {147, 2468, 2, true}, {148, 2468, 1, true},  {154, 2468, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(ShapeKindOf(c.id), SettingKind::kFlag);
    for (uint8_t start : {uint8_t{0x00}, uint8_t{0xFF}}) {
      record_.fill(0);
      record_[c.offset] = start;
      SetFlag(c.id, 1);
      const uint8_t mask = static_cast<uint8_t>(1 << c.bit);
      const uint8_t when_true = c.inverted ? start & ~mask : start | mask;
      EXPECT_EQ(record_[c.offset], when_true);
      EXPECT_EQ(GetFlag(c.id), 1);
      SetFlag(c.id, 0);
      EXPECT_EQ(record_[c.offset], c.inverted ? start | mask : start & ~mask);
      EXPECT_EQ(GetFlag(c.id), 0);
    }
  }
  // Refusing POP3 and IMAP sets bit 2 of the service byte and reads 0.
  record_.fill(0);
  SetFlag(70, 0);
  EXPECT_EQ(record_[1294], 0x04);
  EXPECT_EQ(GetFlag(70), 0);
  EXPECT_EQ(GetFlag(69), 1) << "SMTP still allowed";
}

TEST_F(UserSettingsTest, ResponderModeHoldsTwoNumbersInOneByte) {
  SetNumber(42, 5);
  EXPECT_EQ(record_[1293], 0x05) << "bits 0 and 2: the number is ORed in whole";
  EXPECT_EQ(GetNumber(42), 1u);
  EXPECT_EQ(GetNumber(66), 1u);

  record_[1293] = 0xFF;
  SetNumber(42, 2);
  EXPECT_EQ(record_[1293], 0xFE);
  SetNumber(66, 3);
  EXPECT_EQ(record_[1293], 0x0E) << "bits 0-1 kept, the rest replaced";
  EXPECT_EQ(GetNumber(66), 3u);
  SetNumber(66, 0x7F);
  EXPECT_EQ(record_[1293], 0xFE) << "shifted left by 2, low 8 bits";
  EXPECT_EQ(ShapeKindOf(42), SettingKind::kNumber);
  EXPECT_EQ(ShapeKindOf(66), SettingKind::kNumber);
}

TEST_F(UserSettingsTest, LocalMailOnlyIsBitZeroOfTheServiceByte) {
  record_[1294] = 0xF0;
  SetFlag(43, 1);
  EXPECT_EQ(record_[1294], 0xF1);
  EXPECT_EQ(GetFlag(43), 1);
  SetFlag(43, 0);
  EXPECT_EQ(record_[1294], 0xF0);
  SetNumber(43, 3);
  EXPECT_EQ(record_[1294], 0xF3) << "a number above 1 also sets higher bits";
}

TEST_F(UserSettingsTest, InactivityWordHasTwoIndependentHalves) {
  PutLE(record_.data() + 660, 4, 0x11112222);
  EXPECT_EQ(GetNumber(23), 0x2222u);
  EXPECT_EQ(GetNumber(65), 0x1111u);
  SetNumber(23, 0xABCDEF01);
  EXPECT_EQ(GetLE(record_.data() + 660, 4), 0x1111EF01u);
  SetNumber(65, 90);
  EXPECT_EQ(GetLE(record_.data() + 660, 4), 0x005AEF01u);
}

TEST_F(UserSettingsTest, SendLimitSpansTwoSeparateHalves) {
  record_[1020] = 0x77;  // the bytes between the halves are not part of it
  SetNumber(58, 0x00030004);
  EXPECT_EQ(GetLE(record_.data() + 1024, 2), 4u);
  EXPECT_EQ(GetLE(record_.data() + 1018, 2), 3u);
  EXPECT_EQ(GetNumber(58), 0x00030004u);
  EXPECT_EQ(record_[1020], 0x77);
  uint16_t low = 0;
  EXPECT_EQ(Get(58, &low, 2), 2);
  EXPECT_EQ(low, 4);
}

TEST_F(UserSettingsTest, PasswordIsShownOnlyWhereTheSettingsAllow) {
  const int hide_all = 20848;     // variable 248
  const int show_admins = 20849;  // variable 249
  struct Case {
    uint8_t type;
    bool hide_all;
    bool show_admins;
    bool server_admin;
    bool domain_admin;
    std::string expected;
  };
  const Case cases[] = {
      {0, false, false, false, false, "secret"}, {0, true, true, false, false, "*"},
      {0, false, false, true, false, "*"},       {0, false, false, false, true, "*"},
      {0, false, true, true, true, "secret"},    {1, false, false, false, false, ""},
      {7, true, false, false, false, ""},        {2, false, false, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected + " type " + std::to_string(c.type));
    record_.fill(0);
    Store(772, 127, "secret");
    record_[0] = c.type;
    record_[1022] = c.server_admin;
    record_[1284] = c.domain_admin;
    config_.SetByte(hide_all, c.hide_all);
    config_.SetByte(show_admins, c.show_admins);
    EXPECT_EQ(GetText(33), c.expected);
  }
  // A list record answers 0 bytes even to a null buffer.
  record_[0] = 1;
  EXPECT_EQ(Get(33, nullptr, 0), 0);
  record_[0] = 0;
  config_.SetByte(hide_all, 1);
  SetText(33, std::string(200, 'p'));
  EXPECT_EQ(Stored(772, 127), std::string(127, 'p')) << "stored plain, whatever is shown";
}

TEST_F(UserSettingsTest, ResponderFileAndPeriod) {
  Store(1552, 127, " resp.txt ;1-5");
  EXPECT_EQ(GetText(46), "resp.txt");
  EXPECT_EQ(GetText(68), "1");
  EXPECT_EQ(GetText(76), "5");
  SetText(68, "2");
  EXPECT_EQ(Stored(1552, 127), " resp.txt ;2-5");
  SetText(76, "9");
  EXPECT_EQ(Stored(1552, 127), " resp.txt ;2-9");
  SetText(76, "");
  SetText(68, "  ");
  EXPECT_EQ(Stored(1552, 127), " resp.txt ;2-9") << "an empty period part changes nothing";
  SetText(46, "other.txt");
  EXPECT_EQ(Stored(1552, 127), "other.txt;2-9");

  Store(1552, 127, "file.txt");
  EXPECT_EQ(GetText(68), "");
  EXPECT_EQ(GetText(76), "");
  SetText(76, "7");
  EXPECT_EQ(Stored(1552, 127), "file.txt;-7");
  Store(1552, 127, "f;3");
  EXPECT_EQ(GetText(68), "3") << "no dash: the whole period is the from part";
  EXPECT_EQ(GetText(76), "");
}

TEST_F(UserSettingsTest, NameAndNumberAliases) {
  struct Case {
    std::string list;
    std::string names;
    std::string numbers;
  };
  const Case cases[] = {
      {"john;123;smith;+49-30#1*", "john;smith", "123;+49-30#1*"},
      {"555;john;777", "555;john", "777"},
      {"john", "john", ""},
      {" john ; ;12 ;; x1 ", "john;x1", "12"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    Store(260, 255, c.list);
    EXPECT_EQ(GetText(79), c.names);
    EXPECT_EQ(GetText(85), c.numbers);
  }
  Store(260, 255, "john;123;smith");
  SetText(79, "a;b");
  EXPECT_EQ(Stored(260, 255), "a;b;123");
  SetText(85, "9;8");
  EXPECT_EQ(Stored(260, 255), "a;b;9;8");
  SetText(79, "");
  EXPECT_EQ(Stored(260, 255), "9;8") << "no empty primary alias is left in front";
  Store(260, 255, "john");
  SetText(79, "jack");
  EXPECT_EQ(Stored(260, 255), "jack") << "no trailing separator without number aliases";
}

TEST_F(UserSettingsTest, ListMemberFileAndItsViews) {
  Store(774, 255, "a1,a2,a3,w1|w2;S; b1,b2 ;rest");
  EXPECT_EQ(GetText(115), "a1,a2,a3,w1|w2");
  EXPECT_EQ(GetText(150), "S; b1,b2 ;rest");
  EXPECT_EQ(GetText(149), "a1;a2;a3; b1;b2 ");
  EXPECT_EQ(GetText(156), "w1;w2");

  SetText(149, "v1;v2;v3;v4;v5;v6");
  EXPECT_EQ(Stored(774, 255), "v1,v2,v3,w1|w2;S;v4,v5");
  SetText(156, "p;q,r");
  EXPECT_EQ(Stored(774, 255), "v1,v2,v3,p|q,r;S;v4,v5");
  EXPECT_EQ(GetText(156), "p;q,r");
  SetText(149, "x");
  EXPECT_EQ(Stored(774, 255), "x,,,p|q,r;S;,");

  Store(774, 255, "members.txt; tail ");
  EXPECT_EQ(GetText(149), "members.txt;;;;");
  EXPECT_EQ(GetText(156), "");
  SetText(115, "m2");
  EXPECT_EQ(Stored(774, 255), "m2;tail") << "the rest is trimmed";
  SetText(150, "z");
  EXPECT_EQ(Stored(774, 255), "m2;z");
}

TEST_F(UserSettingsTest, PairSplitAtTheFirstSemicolon) {
  Store(1032, 255, "first;second;third");
  EXPECT_EQ(GetText(118), "first");
  EXPECT_EQ(GetText(151), "second;third");
  SetText(118, "one");
  EXPECT_EQ(Stored(1032, 255), "one;second;third");
  SetText(151, "two");
  EXPECT_EQ(Stored(1032, 255), "one;two");
}

TEST_F(UserSettingsTest, ThreeStateValueOverTwoBytes) {
  struct Case {
    uint32_t value;
    uint8_t low, high;
    uint32_t reads;
  };
  const Case cases[] = {{0, 0, 0, 0}, {1, 1, 0, 1}, {2, 1, 1, 2}, {7, 1, 0, 1}};
  for (const Case& c : cases) {
    record_[1801] = 0xAA;
    record_[2460] = 0xAA;
    SetNumber(122, c.value);
    EXPECT_EQ(record_[1801], c.low) << c.value;
    EXPECT_EQ(record_[2460], c.high) << c.value;
    EXPECT_EQ(GetNumber(122), c.reads) << c.value;
  }
  record_[1801] = 0;
  record_[2460] = 5;
  EXPECT_EQ(GetNumber(122), 2u);
}

TEST_F(UserSettingsTest, BarPairRebuiltWithBarWhenItHeldCharacter255) {
  Store(2324, 127, "left\xFFright|x");
  EXPECT_EQ(GetText(133), "left");
  EXPECT_EQ(GetText(152), "right|x");
  SetText(133, "new");
  EXPECT_EQ(Stored(2324, 127), "new|right|x");
  EXPECT_EQ(GetText(152), "right|x");

  Store(2324, 127, "a|b");
  EXPECT_EQ(GetText(133), "a");
  EXPECT_EQ(GetText(152), "b");
  SetText(152, "c");
  EXPECT_EQ(Stored(2324, 127), "a|c");
  Store(2324, 127,
        "a\xFF"
        "b");
  SetText(152, "c");
  EXPECT_EQ(Stored(2324, 127), "a|c");
}

TEST_F(UserSettingsTest, OneCharacterSetting) {
  record_[2470] = 'Q';
  EXPECT_EQ(GetText(158), "Q");
  SetText(158, " xyz");
  EXPECT_EQ(record_[2470], 'x');
  SetText(158, "");
  EXPECT_EQ(record_[2470], 0);
  EXPECT_EQ(GetText(158), std::string(1, '\0'));
}

TEST_F(UserSettingsTest, WholeRecordPacksAndUnpacks) {
  record_ = RandomRecord(1);
  const Record original = record_;
  const std::string packed = GetText(6);
  EXPECT_EQ(packed, PackRecord(original.data(), kUserRecordSize));
  record_.fill(0);
  SetText(6, packed);
  EXPECT_EQ(record_, original);
  SetText(6, "not a packed record");
  EXPECT_EQ(record_, original) << "a text that does not unpack leaves the record";
  EXPECT_EQ(ShapeKindOf(6), SettingKind::kText);
}

// Whatever bytes a record holds, every id answers without reading or
// writing outside the record, and texts read no further than their
// capacity.
TEST_F(UserSettingsTest, RecordsOfAnyBytes) {
  for (uint32_t seed = 0; seed < 20; ++seed) {
    record_ = RandomRecord(seed);
    std::vector<char> buffer(8192);
    for (int32_t id = -1; id <= 220; ++id) {
      const Result<int32_t> n = Get(id, buffer.data(), static_cast<int32_t>(buffer.size()));
      if (!DescribeUserSetting(id).ok()) {
        EXPECT_EQ(n, StatusCode::kNotFound) << id;
      } else {
        EXPECT_TRUE(n.ok()) << id;
      }
      const std::string value(static_cast<size_t>(seed * 7 % 300), static_cast<char>(seed + 40));
      Set(id, value.data(), static_cast<int32_t>(value.size()));
    }
  }
  record_.fill(0);
  record_[772] = 255;  // a length beyond the capacity of 127
  std::memset(record_.data() + 773, 'p', 127);
  EXPECT_EQ(GetText(33), std::string(127, 'p'));
  record_[4] = 255;  // capacity 254
  std::memset(record_.data() + 5, 'n', 254);
  EXPECT_EQ(GetText(2), std::string(254, 'n'));
}

TEST_F(UserSettingsTest, IdsOfEachAccountType) {
  const std::vector<int32_t> common = {0, 1, 2, 3, 4, 5, 6, 78, 79, 85};
  const auto has = [](const std::vector<int32_t>& ids, int32_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  };
  for (uint8_t type = 0; type <= 9; ++type) {
    const std::vector<int32_t> ids = UserSettingIds(type);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    for (int32_t id : common) EXPECT_TRUE(has(ids, id)) << int{type} << " " << id;
    for (int32_t id : ids) EXPECT_NE(ShapeKindOf(id), std::nullopt) << id;
  }
  const std::vector<int32_t> user = UserSettingIds(0);
  EXPECT_TRUE(has(user, 33) && has(user, 58) && has(user, 69) && has(user, 75));
  EXPECT_FALSE(has(user, 80) || has(user, 112));
  EXPECT_EQ(std::count(user.begin(), user.end(), 58), 1);
  for (uint8_t list_type : {1, 6, 7}) {
    const std::vector<int32_t> list = UserSettingIds(list_type);
    EXPECT_TRUE(has(list, 122) && has(list, 149) && has(list, 156) && has(list, 158));
    EXPECT_EQ(list.size(), 10u + 47u - 1u) << "112 to 158 without 142";
  }
  EXPECT_EQ(UserSettingIds(2).size(), 10u + 5u);
  EXPECT_EQ(UserSettingIds(3).size(), 10u + 19u);
  EXPECT_EQ(UserSettingIds(4).size(), 10u + 8u);
  EXPECT_EQ(UserSettingIds(5).size(), 10u + 7u);
  EXPECT_EQ(UserSettingIds(8), common);
}

}  // namespace
}  // namespace tarvelin
