// The one AutomationServer of the process, over the C API's Context: the
// objects made through the ABI share the installation of the plain exports.
#pragma once

#include "api/automation/automation_server.h"

namespace tarvelin::automation {

AutomationServer& TheServer();

}  // namespace tarvelin::automation
