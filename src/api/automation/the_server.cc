#include "api/automation/the_server.h"

#include "api/automation/registry_resolver.h"
#include "api/c/the_context.h"
#include "core/context.h"

namespace tarvelin::automation {

AutomationServer& TheServer() {
  // Never destroyed, like the Context: hosts release objects late.
  static AutomationServer* const server = [] {
    ServerOptions options;
    // Class names resolve through the object registry, as registered by
    // DllRegisterServer.
    options.resolve = ResolveThroughRegistry(TheContext().env());
    return new AutomationServer(TheContext(), std::move(options));
  }();
  return *server;
}

}  // namespace tarvelin::automation
