// Variant: the value an automation member takes and gives. Texts are held
// in the system code page (the ABI converts at its edge). Objects are held
// by a counted reference. The coercions follow the platform's variant
// conversion as far as the members need it: numbers and decimal texts turn
// into each other, nothing else does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "api/automation/object_ref.h"

namespace tarvelin::automation {

enum class VarType : uint16_t {
  kEmpty = 0,
  kNull = 1,
  kI2 = 2,
  kI4 = 3,
  kR8 = 5,
  kDate = 7,
  kText = 8,
  kObject = 9,
  kBool = 11,
  kUI1 = 17,
  kI8 = 20,
};

class Variant {
 public:
  Variant() = default;

  static Variant Null() { return Variant(VarType::kNull); }
  static Variant I2(int16_t v) { return Integer(VarType::kI2, v); }
  static Variant I4(int32_t v) { return Integer(VarType::kI4, v); }
  static Variant I8(int64_t v) { return Integer(VarType::kI8, v); }
  static Variant UI1(uint8_t v) { return Integer(VarType::kUI1, v); }
  // -1 for true, 0 for false, as the automation boolean is held.
  static Variant Bool(bool v) { return Integer(VarType::kBool, v ? -1 : 0); }
  static Variant R8(double v) { return Real(VarType::kR8, v); }
  static Variant Date(double v) { return Real(VarType::kDate, v); }
  static Variant Text(std::string v);
  static Variant Object(ObjectRef v);

  VarType type() const { return type_; }
  bool empty() const { return type_ == VarType::kEmpty; }
  bool is_number() const;

  // The value as it is held, for the type it has.
  int64_t integer() const { return integer_; }
  double real() const { return real_; }
  const std::string& text() const { return text_; }
  const ObjectRef& object() const { return object_; }
  bool boolean() const { return integer_ != 0; }

  // The text form: a text as it is; a whole number in decimal; a real in
  // the shortest decimal that reads back the same; a boolean "True" or
  // "False"; empty for empty. Null and objects have none.
  std::optional<std::string> ToText() const;
  // A whole number: integers and booleans as they are, reals rounded half
  // to even, a text that reads wholly as a number. None when it does not
  // fit in 32 bits or does not convert.
  std::optional<int32_t> ToInt32() const;
  std::optional<double> ToDouble() const;
  // Nonzero numbers, "True" and "False" in any case, decimal texts.
  std::optional<bool> ToBool() const;

 private:
  explicit Variant(VarType type) : type_(type) {}
  static Variant Integer(VarType type, int64_t v);
  static Variant Real(VarType type, double v);

  VarType type_ = VarType::kEmpty;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  ObjectRef object_;
};

}  // namespace tarvelin::automation
