#include "api/automation/the_server.h"

#include "api/automation/name_forms.h"
#include "api/c/the_context.h"

namespace tarvelin::automation {

AutomationServer& TheServer() {
  // Never destroyed, like the Context: hosts release objects late.
  static AutomationServer* const server = [] {
    ServerOptions options;
    options.resolve = EveryClassRegistered();
    return new AutomationServer(TheContext(), std::move(options));
  }();
  return *server;
}

}  // namespace tarvelin::automation
