// Saving the global configuration and telling the services to reload.
#pragma once

#include <cstdint>

namespace tarvelin {

class Context;
class ServiceChannel;

inline constexpr uint32_t kReloadMessage = 1280;
inline constexpr uint32_t kReloadServicesMessage = 1299;

// Clears the changed flag, saves settings.cfg and domains.cfg merged with
// what other programs saved meanwhile (config_merge.h; nothing is written
// when this process changed nothing), and returns UpdateConfiguration's
// result.
int32_t SaveConfig(Context& context);
// Tells SMTP, POP3, groupware, instant messaging and control (in this
// order) to re-read their configuration; the control service's result.
int32_t UpdateConfiguration(const ServiceChannel& channel);
// Asks the control service to reload the server services: 1 or 0.
int32_t ReloadServices(const ServiceChannel& channel);

}  // namespace tarvelin
