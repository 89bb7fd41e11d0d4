#include "core/domains/domain_records.h"

#include <cmath>

#include "schema/config_offsets.h"
#include "core/domains/disk_quota.h"
#include "store/file/domain_file.h"
#include "mailstore/folder_size.h"
#include "foundation/bytes.h"
#include "foundation/text.h"
#include "core/context.h"
#include "log/log_writer.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/monotonic_clock.h"
#include "platform/os_path.h"

namespace tarvelin {

namespace {

constexpr int kKilobyte = 1024;

bool LoadAtNonStrictPosition(Context& context, std::string_view name, DomainRecord* record) {
  return LoadDomainRecordAt(context, context.domains.FindPosition(name, /*strict=*/false), record);
}

}  // namespace

bool LoadDomainRecord(Context& context, std::string_view name, DomainRecord* record) {
  record->fill(0);
  DomainList& domains = context.domains;
  const std::string resolved = domains.ResolveRecordName(name);
  const std::string folder = domains.FolderOf(resolved);
  if (folder.empty()) return false;
  const std::string path = folder + kDomainFileName;
  // The stamp is taken before the read: a rewrite in between leaves the
  // entry with an older stamp than its bytes, so it is read again later
  // rather than served stale.
  const FileStamp stamp = GetFileStamp(path);
  const int64_t now = MonotonicSeconds();
  if (domains.cache().Get(resolved, stamp, now, record)) return true;
  if (!ReadDomainFile(path, record)) return false;
  domains.cache().Put(resolved, *record, stamp, now);
  return true;
}

bool LoadDomainRecordAt(Context& context, int position, DomainRecord* record) {
  if (position < 0 || position >= context.domains.Count()) {
    record->fill(0);
    return false;
  }
  return LoadDomainRecord(context, context.domains.NameAt(position), record);
}

bool SaveDomainRecord(Context& context, int position, const DomainRecord& record, bool is_new,
                      std::string_view actor) {
  if (position < 0 || position >= context.domains.Count()) return false;
  const std::string name = context.domains.NameAt(position);
  const std::string folder = context.domains.FolderOf(name);
  if (folder.empty() || !WriteDomainFile(folder, record)) return false;
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
  if (quota == 0) quota = DiskQuotaFromFile(context.api.config_path + "diskquot.dat", name);
  // A name that is no folder name has no mail folder to measure, and must
  // not lead the measurement (and its size.dat files) elsewhere.
  const std::string lower = ToLower(name);
  if (quota == 0 || !DomainList::IsFolderName(lower)) return true;

  const ServerConfig& config = context.config.record;
  const std::string folder = WithTrailingSeparator(config.Text(offsets::kMailRoot)) + lower;
  const FolderTotals totals = MeasureFolder(folder, FolderSizeCacheOf(config));
  if (size_low != nullptr) *size_low = static_cast<uint32_t>(totals.bytes);
  return totals.bytes / kKilobyte < quota;
}

bool DomainNotExpired(Context& context, std::string_view name) {
  DomainRecord record;
  if (!LoadDomainRecord(context, name, &record)) return true;
  const double expiry = GetDouble(record.data() + domain_offsets::kExpiryDate);
  if (record[domain_offsets::kExpires] == 0 || expiry == 0) return true;
  return !(std::floor(LocalNowAsDateTime()) > expiry);
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
