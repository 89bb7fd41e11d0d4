#include "core/domains/domain_records.h"

#include <cmath>

#include "schema/config_offsets.h"
#include "core/domains/disk_quota.h"
#include "mailstore/folder_size.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "core/logging.h"
#include "platform/local_now.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kKilobyte = 1024;

bool LoadAtNonStrictPosition(Context& context, std::string_view name, DomainRecord* record) {
  return LoadDomainRecordAt(context, context.domains().FindPosition(name, /*strict=*/false), record);
}

}  // namespace

bool LoadDomainRecord(Context& context, std::string_view name, DomainRecord* record) {
  DomainStore& domains = context.domains();
  return domains.LoadRecord(domains.ResolveRecordName(name), record).ok();
}

bool LoadDomainRecordAt(Context& context, int position, DomainRecord* record) {
  if (position < 0 || position >= context.domains().Count()) {
    record->fill(0);
    return false;
  }
  return LoadDomainRecord(context, context.domains().NameAt(position), record);
}

bool SaveDomainRecord(Context& context, int position, const DomainRecord& record, bool is_new,
                      std::string_view actor) {
  if (position < 0 || position >= context.domains().Count()) return false;
  const std::string name = context.domains().NameAt(position);
  if (!context.domains().SaveRecord(name, record).ok()) return false;
  LogChange(context, actor, is_new ? "created" : "updated", name, is_new);
  return true;
}

bool DomainQuotaCheck(Context& context, std::string_view name, const DomainRecord* record,
                      uint32_t* size_low) {
  if (size_low != nullptr) *size_low = 0;
  uint32_t quota = 0;
  if (record != nullptr) {
    quota = GetLE(record->data() + domain_offsets::kDiskQuota, 4);
  } else {
    DomainRecord loaded;
    if (LoadAtNonStrictPosition(context, name, &loaded)) {
      quota = GetLE(loaded.data() + domain_offsets::kDiskQuota, 4);
    }
  }
  if (quota == 0) quota = DiskQuotaFromFile(context.env(), context.api.config_path + "diskquot.dat", name);
  // A name that is no folder name has no mail folder to measure, and must
  // not lead the measurement (and its size.dat files) elsewhere.
  const std::string lower = ToLower(name);
  if (quota == 0 || !DomainStore::IsFolderName(lower)) return true;

  const ServerConfig& config = context.config.record;
  const std::string folder = WithTrailingSeparator(config.Text(offsets::kMailRoot)) + lower;
  const FolderTotals totals = MeasureFolder(
      context.env(), folder, FolderSizeCacheOf(context.env(), config, context.locks()));
  if (size_low != nullptr) *size_low = static_cast<uint32_t>(totals.bytes);
  return totals.bytes / kKilobyte < quota;
}

bool DomainNotExpired(Context& context, std::string_view name) {
  DomainRecord record;
  if (!LoadDomainRecord(context, name, &record)) return true;
  const double expiry = GetDouble(record.data() + domain_offsets::kExpiryDate);
  if (record[domain_offsets::kExpires] == 0 || expiry == 0) return true;
  return !(std::floor(LocalNowAsDateTime(context.env())) > expiry);
}

bool DomainNotDisabled(Context& context, std::string_view name) {
  DomainRecord record;
  if (!LoadAtNonStrictPosition(context, name, &record)) return true;
  return record[domain_offsets::kDisabled] == 0;
}

std::string DomainMailboxRoot(Context& context, std::string_view name) {
  DomainRecord record;
  if (!LoadDomainRecord(context, name, &record)) return {};
  return GetPString(record.data() + domain_offsets::kMailboxRoot,
                    domain_offsets::kMailboxRootCapacity);
}

}  // namespace tarvelin
