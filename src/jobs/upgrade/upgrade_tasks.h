// The upgrade tasks after the server was updated from `previous_version`:
// each step whose threshold that version is older than (jobs/upgrade/
// upgrade_steps.h), in order, with the services' reload right after the
// first comparison. A notification to a service that does not run is lost.
// Running again repeats the same steps: nothing records them.
//
// The configuration step: ConfigPath becomes InstallPath + "config/"; under
// the settings lock the configuration is loaded (a missing settings.cfg
// leaves the record in memory), the database library is released, the
// server address list is emptied unless the flag at offset 1474 is on, and
// the configuration is written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"
#include "jobs/upgrade/upgrade_steps.h"

namespace tarvelin {

class Context;

struct SentNotification {
  std::string_view step;  // the threshold; empty for the reload
  UpgradeNotification notification;
  bool delivered = false;  // false: the service did not run
};

struct UpgradeRun {
  // The reload, then each step's notifications, as sent.
  std::vector<SentNotification> sent;
  // The thresholds of the steps that ran.
  std::vector<std::string_view> steps;
  bool configuration_written = false;
  bool server_addresses_emptied = false;
};

// Fails only in the configuration step: no installation open, the lock, or
// the write; the steps after it are then not run. `run` is cleared first
// and holds what was done up to the end or the failure.
Status RunUpgradeTasks(Context& context, std::string_view previous_version, UpgradeRun& run);

}  // namespace tarvelin
