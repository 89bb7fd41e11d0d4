#include "core/config/configuration.h"

#include "config/config_store.h"
#include "core/context.h"

namespace tarvelin {

bool LoadConfiguration(Context& context, bool must_exist) {
  const bool loaded =
      LoadServerConfig(context.env(), context.api, context.config, context.reloaders(), must_exist);
  context.domains().Load();
  context.domains().SetUpCache();
  context.accounts().SetUpCache();
  return loaded;
}

bool SaveConfiguration(const Context& context) {
  bool written = SaveServerConfig(context.env(), context.api, context.config).ok();
  written |= context.domains().SaveList().ok();
  return written;
}

}  // namespace tarvelin
