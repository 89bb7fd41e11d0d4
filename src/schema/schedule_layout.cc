#include "schema/schedule_layout.h"

#include "foundation/bytes.h"

namespace tarvelin {

namespace {

using K = FieldKind;

constexpr ScheduleField kFields[] = {
    {0, false, 2, 1, K::kFlag},  // the schedule flag
    {2, true, 1, 1, K::kFlag},          {3, true, 2, 1, K::kFlag},
    {4, true, 3, 1, K::kFlag},          {5, true, 4, 1, K::kFlag},
    {6, true, 5, 1, K::kFlag},          {7, true, 6, 1, K::kFlag},
    {8, true, 0, 1, K::kFlag},          {9, true, 7, 1, K::kNumber},
    {10, true, 8, 8, K::kTimeOfDay},    {11, true, 16, 4, K::kNumber},
    {12, true, 20, 1, K::kFlag},        {13, true, 24, 8, K::kWholeNumber},
    {14, true, 32, 8, K::kWholeNumber}, {15, false, 0, kScheduleRecordSize, K::kPacked},
};

}  // namespace

int ScheduleItemsInUse(const ScheduleRecord& block) {
  return static_cast<int>(GetLE(block.data() + kScheduleCountOffset, 2));
}

std::span<const ScheduleField> ScheduleFields() { return kFields; }

const ScheduleField* FindScheduleField(int type) {
  for (const ScheduleField& field : kFields) {
    if (field.type == type) return &field;
  }
  return nullptr;
}

}  // namespace tarvelin
