// Starting and stopping a service's program. A service counts as running
// while its pid file names a live process (ServiceChannel::IsServiceRunning).
#pragma once

#include <string>
#include <string_view>

#include "services/service_channel.h"

namespace tarvelin {

// The program file of the id in the installation, or empty for an id
// without a program of its own (LDAP, unknown ids).
std::string ServiceProgramPath(std::string_view install_path, int service_id);

// start: runs the id's program file from the installation, with no
// arguments and the installation as working directory, when the file exists
// and the service does not run already; with `wait`, polls every 10 ms for
// up to 10 s until it runs.
// stop: sends SIGTERM to the process the pid file names, when that process
// runs a program file of the id's name (a stale pid file may name an
// unrelated process by now); with `wait`, polls every 10 ms for up to 10 s
// until the service no longer runs, and if it still does, kills every
// process running the installation's program file of the id.
// Ids without a program file are left alone.
void StartStopService(std::string_view install_path, const ServiceChannel& channel, int service_id,
                      bool start, bool wait);

}  // namespace tarvelin
