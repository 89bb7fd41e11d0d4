#include "schema/setting_shape.h"

namespace tarvelin {

SettingShape ShapeOfField(const FieldSlot& slot) {
  switch (slot.kind) {
    case FieldKind::kFlag:
    case FieldKind::kInvertedFlag:
    case FieldKind::kBit:
    case FieldKind::kInvertedBit:
      return {SettingKind::kFlag, 1};
    case FieldKind::kNumber:
      return {SettingKind::kNumber, slot.width};
    case FieldKind::kText:
      return {SettingKind::kText, slot.width - 1};
    case FieldKind::kCharacter:
      return {SettingKind::kText, 1};
    case FieldKind::kBlock:
      return {SettingKind::kBlock, slot.width};
    case FieldKind::kDate:
      return {SettingKind::kDateTime, 8};
    case FieldKind::kTimeOfDay:
    case FieldKind::kWholeNumber:
      return {SettingKind::kNumber, 4, /*is_signed=*/true};
    case FieldKind::kPacked:
      return {SettingKind::kText, 0};
  }
  return {};
}

const char* SettingKindName(SettingKind kind) {
  switch (kind) {
    case SettingKind::kNumber:
      return "number";
    case SettingKind::kFlag:
      return "flag";
    case SettingKind::kDateTime:
      return "date-time";
    case SettingKind::kText:
      return "text";
    case SettingKind::kBlock:
      return "block";
  }
  return "unknown";
}

}  // namespace tarvelin
