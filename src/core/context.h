// Context: everything one open installation holds: the ApiState, the
// configuration and the domain list. The C exports work on one of them;
// tests and tools build their own.
#pragma once

#include "config/config_state.h"
#include "store/file/domain_list.h"
#include "config/api_state.h"
#include "services/service_channel.h"

namespace tarvelin {

struct Context {
  ApiState api;
  ConfigState config;
  DomainList domains{&api, &config};

  Context() = default;
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // The channel to the services of this installation.
  ServiceChannel Channel() const {
    return ServiceChannel(ServiceChannel::RunDirectory(api.install_path));
  }
};

}  // namespace tarvelin
