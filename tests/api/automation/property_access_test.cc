#include "api/automation/property_access.h"

#include <gtest/gtest.h>

#include <cstring>

#include "api/automation/automation_error.h"
#include "schema/property_table.h"

namespace tarvelin::automation {
namespace {

const char kConstants[] =
    "  U_Name = 12; // string\n"
    "  U_Count = 13; // integer\n"
    "  U_Hex = $1F; // STRING value\n"
    "  U_When = 14; // the date of it\n"
    "  U_Name = 99; // integer, a second U_Name\n"
    "  U_Skipped = 15;\n";

TEST(ResolveProperty, NamesAndNumbersInEveryForm) {
  PropertyTable table = PropertyTable::FromText(kConstants);
  struct Case {
    Variant command;
    int32_t number;
    ValueKind kind;
  };
  const Case cases[] = {
      {Variant::I4(12), 12, ValueKind::kText},
      {Variant::Text("12"), 12, ValueKind::kText},
      {Variant::Text("U_NAME"), 12, ValueKind::kText},
      {Variant::Text("u_name"), 12, ValueKind::kText},
      {Variant::Text("U_Hex"), 31, ValueKind::kText},
      {Variant::Text("U_When"), 14, ValueKind::kDateTime},
      {Variant::I2(13), 13, ValueKind::kInteger},
  };
  for (const Case& c : cases) {
    ResolvedProperty property = ResolveProperty(table, c.command);
    EXPECT_EQ(property.number, c.number) << c.command.ToText().value_or("?");
    EXPECT_EQ(property.kind, c.kind) << c.command.ToText().value_or("?");
  }
}

TEST(ResolveProperty, UnlistedCommandsFailWithTheirText) {
  PropertyTable table = PropertyTable::FromText(kConstants);
  struct Case {
    Variant command;
    const char* message;
  };
  const Case cases[] = {
      {Variant::I4(77), "Property 77 not found"},
      {Variant::Text("U_Skipped"), "Property u_skipped not found"},
      {Variant::Text("Nothing"), "Property nothing not found"},
  };
  for (const Case& c : cases) {
    try {
      ResolveProperty(table, c.command);
      ADD_FAILURE() << c.message;
    } catch (const AutomationError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(ResolveProperty, AnEmptyCommandTakesItsKindFromTheValue) {
  PropertyTable table;
  Variant empty = Variant::Text("");
  Variant date = Variant::Date(1.5);
  Variant text = Variant::Text("x");
  Variant number = Variant::I4(3);
  EXPECT_EQ(ResolveProperty(table, empty).kind, ValueKind::kText);
  EXPECT_EQ(ResolveProperty(table, empty, &date).kind, ValueKind::kDateTime);
  EXPECT_EQ(ResolveProperty(table, empty, &text).kind, ValueKind::kText);
  EXPECT_EQ(ResolveProperty(table, empty, &number).kind, ValueKind::kInteger);
  EXPECT_EQ(ResolveProperty(table, Variant()).number, 0);
}

TEST(ValueConversion, RawBytesToVariants) {
  const uint8_t one_byte[] = {7};
  Variant small = ValueToVariant(ValueKind::kInteger, one_byte);
  EXPECT_EQ(small.type(), VarType::kI4);
  EXPECT_EQ(small.integer(), 7);
  const uint8_t negative[] = {0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ValueToVariant(ValueKind::kInteger, negative).integer(), -2);

  double day = 45000.25;
  uint8_t raw[8];
  std::memcpy(raw, &day, 8);
  Variant when = ValueToVariant(ValueKind::kDateTime, raw);
  EXPECT_EQ(when.type(), VarType::kR8);
  EXPECT_EQ(when.real(), day);

  const uint8_t text[] = {'a', 0, 'b'};
  EXPECT_EQ(ValueToVariant(ValueKind::kText, text).text(), std::string("a\0b", 3));
}

TEST(ValueConversion, VariantsToRawBytes) {
  const double now = 46000.5;
  EXPECT_EQ(VariantToValue(Variant::Text("258"), ValueKind::kInteger, now),
            std::string("\x02\x01\0\0", 4));
  EXPECT_EQ(VariantToValue(Variant::Text("many"), ValueKind::kInteger, now), std::string(4, '\0'));
  double stored;
  std::memcpy(&stored, VariantToValue(Variant::Text("not a date"), ValueKind::kDateTime, now).data(),
              8);
  EXPECT_EQ(stored, now);
  std::memcpy(&stored, VariantToValue(Variant::Date(40000.0), ValueKind::kDateTime, now).data(), 8);
  EXPECT_EQ(stored, 40000.0);
  EXPECT_EQ(VariantToValue(Variant::I4(-12), ValueKind::kText, now), "-12");
  EXPECT_EQ(VariantToValue(Variant::Text(std::string(300, 'x')), ValueKind::kText, now).size(),
            255u);
  EXPECT_EQ(VariantToValue(Variant::Null(), ValueKind::kText, now), "");
}

}  // namespace
}  // namespace tarvelin::automation
