#include "core/config/configuration.h"

#include <string>

#include "config/config_store.h"
#include "core/config/backend_connection.h"
#include "core/config/config_merge.h"
#include "core/context.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

// Writes both files; `written` tells which went through.
Status WriteFiles(Context& context, bool* settings_written, bool* domains_written) {
  ConfigState& config = context.config;
  const Status settings = SaveServerConfig(context.env(), context.api, config);
  *settings_written = settings.ok();
  if (settings.ok()) {
    config.baseline.taken = true;
    config.baseline.record = config.record;
    config.baseline.settings_stamp = ConfigFileStamp(context, kSettingsFileName);
    // This process's own save is no change for Init to load: an Init (every
    // automation object runs one) keeps the installation it works on.
    context.api.settings_stamp = config.baseline.settings_stamp;
  }
  const Status domains = context.domains().SaveList();
  *domains_written = domains.ok();
  if (domains.ok()) {
    context.domains().TakeChanges();
    config.baseline.domains_stamp = ConfigFileStamp(context, kDomainsFileName);
  }
  return settings.ok() ? domains : settings;
}

}  // namespace

FileStamp ConfigFileStamp(const Context& context, const char* file) {
  return context.env().GetFileStamp(context.api.config_path + file).value_or(FileStamp{});
}

bool LoadConfiguration(Context& context, bool must_exist) {
  // Stamps before the reads: a file replaced in between looks rewritten at
  // the next save, never the other way round.
  const FileStamp settings_stamp = ConfigFileStamp(context, kSettingsFileName);
  const FileStamp domains_stamp = ConfigFileStamp(context, kDomainsFileName);
  const bool loaded =
      LoadServerConfig(context.env(), context.api, context.config, context.reloaders(), must_exist);
  const uint32_t stored_count = context.config.record.Number(offsets::kDomainCount, 4);
  ConnectBackend(context);
  context.domains().Load();
  context.domains().SetUpCache();
  context.accounts().SetUpCache();
  TakeBaseline(context, stored_count, settings_stamp, domains_stamp);
  return loaded;
}

Status WriteConfiguration(Context& context) {
  bool settings_written = false, domains_written = false;
  return WriteFiles(context, &settings_written, &domains_written);
}

bool SaveConfiguration(Context& context) {
  bool settings_written = false, domains_written = false;
  WriteFiles(context, &settings_written, &domains_written);
  return settings_written || domains_written;
}

}  // namespace tarvelin
