#include "schema/domain_record_layout.h"

namespace tarvelin {

namespace {

using K = FieldKind;

constexpr DomainField kFields[] = {
    {0, 0, 57, K::kText, 0, nullptr, false},
    {11, 57, 4, K::kNumber, 0, "DomainDiskQuota", true},
    {10, 61, 1, K::kBit, 0, "DomainAV", true},
    {34, 61, 1, K::kBit, 1, "DomainSIP", true},
    {9, 62, 2, K::kNumber, 0, "DomainAdminLimit", true},
    {1, 64, 1, K::kNumber, 0, "DomainType", false},
    {3, 65, 63, K::kText, 0, "DomainValue", false},
    {4, 128, 256, K::kText, 0, "AdministratorAlias", true},
    {5, 384, 256, K::kText, 0, "AdministratorEmail", true},
    {6, 640, 1, K::kNumber, 0, "ForwardUnknown", true},
    {7, 641, 234, K::kText, 0, "ForwardUnknownTo", true},
    {33, 875, 1, K::kNumber, 0, nullptr, false},
    {19, 876, 1, K::kFlag, 0, "DomainIM", true},
    {18, 877, 1, K::kFlag, 0, "DomainGW", true},
    {20, 878, 1, K::kFlag, 0, "DomainChallengeResponse", true},
    {17, 879, 1, K::kFlag, 0, "DomainMIAS", true},
    {16, 880, 1, K::kFlag, 0, "DomainDisabled", false},
    {12, 881, 4, K::kNumber, 0, "DomainMailboxSize", true},
    {13, 885, 4, K::kNumber, 0, "DomainMBLimit", true},
    {14, 889, 4, K::kNumber, 0, "DomainNumberLimit", true},
    {15, 893, 4, K::kNumber, 0, "DomainMaxMessageSize", true},
    {8, 897, 1, K::kFlag, 0, "InfoToAdmin", true},
    {21, 898, 1, K::kFlag, 0, "DomainExpires", false},
    {22, 899, 8, K::kDate, 0, "DomainExpiryDate", false},
    {23, 907, 1, K::kFlag, 0, "DomainNotifyBeforeExpiration", true},
    {24, 908, 4, K::kNumber, 0, "DomainNotifyBeforeExpirationValue", true},
    {25, 912, 1, K::kFlag, 0, "DeleteDomainWhenExpired", true},
    {35, 913, 128, K::kText, 0, nullptr, false},
    {36, 1041, 128, K::kText, 0, "DomainMailboxRoot", false},
    {32, 0, kDomainRecordSize, K::kPacked, 0, nullptr, false},
};

}  // namespace

std::span<const DomainField> DomainFields() { return kFields; }

const DomainField* FindDomainField(int id) {
  for (const DomainField& field : kFields) {
    if (field.id == id) return &field;
  }
  return nullptr;
}

}  // namespace tarvelin
