#include "core/config/config_save.h"

#include "core/config/config_merge.h"
#include "core/context.h"
#include "services/service_channel.h"

namespace tarvelin {

namespace {

constexpr int kSmtp = 0, kPop3 = 1, kControl = 2, kInstantMessaging = 3, kGroupware = 4;

}  // namespace

int32_t SaveConfig(Context& context) {
  context.api.config_changed = false;
  SaveMergedConfiguration(context);
  return UpdateConfiguration(context.Channel());
}

int32_t UpdateConfiguration(const ServiceChannel& channel) {
  int32_t result = 0;
  for (int service : {kSmtp, kPop3, kGroupware, kInstantMessaging, kControl}) {
    result = channel.NotifyService(service, kReloadMessage, 0, 0);
  }
  return result;
}

int32_t ReloadServices(const ServiceChannel& channel) {
  return channel.NotifyService(kControl, kReloadServicesMessage, 0, 0);
}

}  // namespace tarvelin
