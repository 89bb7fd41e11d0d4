#include "core/config/config_merge.h"

#include <string>
#include <vector>

#include "config/config_store.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "schema/config_offsets.h"
#include "schema/server_config_changes.h"
#include "store/lock_names.h"

namespace tarvelin {

namespace {

// Rewritten (or created) by someone since `then`; a file gone is not: it
// is written whole from memory.
bool Moved(const FileStamp& now, const FileStamp& then) { return now.exists && now != then; }

uint32_t DomainCount(const ServerConfig& record) { return record.Number(offsets::kDomainCount, 4); }

}  // namespace

void TakeBaseline(Context& context, uint32_t stored_count, const FileStamp& settings_stamp,
                  const FileStamp& domains_stamp) {
  ConfigBaseline& baseline = context.config.baseline;
  baseline.taken = true;
  baseline.record = context.config.record;
  baseline.record.SetNumber(offsets::kDomainCount, 4, stored_count);
  baseline.settings_stamp = settings_stamp;
  baseline.domains_stamp = domains_stamp;
}

Result<CrossProcessLocks::Held> LockConfiguration(Context& context) {
  return context.file_locks().Acquire(LockFileOf(context.api.config_path), kSettingsLock);
}

void CatchUpWithStoredConfiguration(Context& context) {
  ConfigState& config = context.config;
  if (!config.baseline.taken) return;
  const FileStamp settings_now = ConfigFileStamp(context, kSettingsFileName);
  const FileStamp domains_now = ConfigFileStamp(context, kDomainsFileName);
  if (!Moved(settings_now, config.baseline.settings_stamp) &&
      !Moved(domains_now, config.baseline.domains_stamp)) {
    return;
  }

  const ServerConfig mine = config.record;
  const ServerConfig base = config.baseline.record;
  // A short settings.cfg leaves the tail of what it is read over: the
  // record as this process found it, whose own changes follow below.
  config.record = base;
  if (domains_now.exists) {
    const std::vector<DomainListChange> changes = context.domains().TakeChanges();
    LoadConfiguration(context, /*must_exist=*/false);
    context.domains().Replay(changes);
  } else {
    LoadServerConfig(context.env(), context.api, config, context.reloaders(),
                     /*must_exist=*/false);
    TakeBaseline(context, DomainCount(config.record), settings_now, domains_now);
    config.record.SetNumber(offsets::kDomainCount, 4, DomainCount(mine));
    context.domains().SetUpCache();
    context.accounts().SetUpCache();
  }
  // A load, as far as Init's shortcut is concerned: an Init now keeps the
  // merged configuration.
  if (settings_now.exists) context.api.settings_stamp = settings_now;
  const uint32_t merged_count = DomainCount(config.record);
  CopyChangedFields(base, mine, config.record);
  config.record.SetNumber(offsets::kDomainCount, 4, merged_count);
}

Result<CrossProcessLocks::Held> LockCurrentConfiguration(Context& context) {
  Result<CrossProcessLocks::Held> held = LockConfiguration(context);
  if (held.ok()) CatchUpWithStoredConfiguration(context);
  return held;
}

Status SaveMergedConfiguration(Context& context) {
  Result<CrossProcessLocks::Held> held = LockCurrentConfiguration(context);
  if (!held.ok()) return held.status();
  const ConfigBaseline& baseline = context.config.baseline;
  const bool unchanged = baseline.taken && context.config.record == baseline.record &&
                         !context.domains().HasChanges() &&
                         ConfigFileStamp(context, kSettingsFileName).exists &&
                         ConfigFileStamp(context, kDomainsFileName).exists;
  if (unchanged) return Status::Ok();
  return WriteConfiguration(context);
}

}  // namespace tarvelin
