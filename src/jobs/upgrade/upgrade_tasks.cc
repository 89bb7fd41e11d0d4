#include "jobs/upgrade/upgrade_tasks.h"

#include "core/config/config_merge.h"
#include "core/config/configuration.h"
#include "core/context.h"
#include "jobs/upgrade/version_number.h"
#include "schema/config_offsets.h"

namespace tarvelin {

namespace {

void Send(const Context& context, std::string_view step, const UpgradeNotification& notification,
          UpgradeRun& run) {
  const int32_t delivered = context.Channel().NotifyService(
      notification.service, kUpgradeMessage, notification.first, notification.second);
  run.sent.push_back({step, notification, delivered != 0});
}

Status RewriteConfiguration(Context& context, UpgradeRun& run) {
  // Without an installation "config/" would be a folder of the caller's.
  if (context.api.install_path.empty()) {
    return Status::NotLoadable("no installation is open: the configuration step needs one");
  }
  context.api.config_path = context.api.install_path + "config/";
  Result<CrossProcessLocks::Held> held = LockConfiguration(context);
  if (!held.ok()) return held.status();
  LoadConfiguration(context, /*must_exist=*/false);
  context.backend().Release();
  if (context.config.record.Byte(offsets::kFlag1474) == 0) {
    context.config.record.SetByte(offsets::kServerAddresses, 0);
    run.server_addresses_emptied = true;
  }
  Status written = WriteConfiguration(context);
  run.configuration_written = written.ok();
  return written;
}

}  // namespace

Status RunUpgradeTasks(Context& context, std::string_view previous_version, UpgradeRun& run) {
  run = UpgradeRun();
  const int64_t previous = VersionNumber(previous_version);
  bool compared = false;
  for (const UpgradeStep& step : UpgradeSteps()) {
    const bool older = previous < VersionNumber(step.threshold);
    if (!compared) {
      compared = true;
      for (int service : UpgradeReloadServices()) {
        Send(context, {}, {service, kUpgradeReloadFirst, kUpgradeReloadSecond}, run);
      }
    }
    if (!older) continue;
    run.steps.push_back(step.threshold);
    if (step.configuration) {
      if (Status written = RewriteConfiguration(context, run); !written.ok()) return written;
    }
    for (const UpgradeNotification& notification : step.notifications) {
      Send(context, step.threshold, notification, run);
    }
  }
  return Status::Ok();
}

}  // namespace tarvelin
