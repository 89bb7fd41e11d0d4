#include "schema/remote_record_layout.h"

#include "schema/schedule_layout.h"

namespace tarvelin {

namespace {

using K = FieldKind;

constexpr RemoteField kFields[] = {
    {224, 0, 64, K::kText},
    {225, 64, 192, K::kText},
    {246, 256, kScheduleRecordSize, K::kBlock},
    {226, 540, 256, K::kText},
    {227, 796, 128, K::kText},  // login name at the remote server
    {228, 924, 1, K::kFlag},
    {229, 925, 64, K::kText},
    {230, 989, 61, K::kText},
    {245, 1050, 1, K::kFlag},  // 1 = IMAP, 0 = POP3
    {231, 1051, 1, K::kFlag},
    {232, 1052, 1, K::kFlag},
    {233, 1053, 1, K::kFlag},
    {234, 1054, 128, K::kText},  // password at the remote server
    {235, 1182, 64, K::kText},   // local domain of the account
    {247, 1269, 1, K::kNumber},
    {236, 1270, 1, K::kFlag},
    {237, 1271, 1, K::kFlag},
    {238, 1272, 1, K::kFlag},
    {239, 1273, 1, K::kFlag},
    {240, 1274, 2, K::kNumber},
    {241, 1276, 2, K::kNumber},
    {242, 1310, 1, K::kFlag},
    {243, 1311, 1, K::kFlag},
    {244, 1312, 256, K::kText},  // collection state file
    {248, 0, kRemoteRecordSize, K::kPacked},
};

}  // namespace

std::span<const RemoteField> RemoteFields() { return kFields; }

const RemoteField* FindRemoteField(int id) {
  for (const RemoteField& field : kFields) {
    if (field.id == id) return &field;
  }
  return nullptr;
}

}  // namespace tarvelin
