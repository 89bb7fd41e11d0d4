// The library's process-wide state: the ApiState, the configuration and the
// domain list. The exports work on TheLibrary(); tests build their own.
#pragma once

#include "config/config_state.h"
#include "store/file/domain_list.h"
#include "config/api_state.h"
#include "services/service_channel.h"

namespace tarvelin {

struct Library {
  ApiState api;
  ConfigState config;
  DomainList domains{&api, &config};

  Library() = default;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // The channel to the services of this installation.
  ServiceChannel Channel() const {
    return ServiceChannel(ServiceChannel::RunDirectory(api.install_path));
  }
};

// The instance behind the exports; it lives until the process ends.
Library& TheLibrary();

}  // namespace tarvelin
