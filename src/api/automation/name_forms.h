// The two names each class is created by: the ProgID "QuorantServer.X" and
// the older "OrvikCOM.X" (jobs/registration/class_names.h).
#pragma once

#include "api/automation/automation_server.h"
#include "api/automation/class_ids.h"
#include "jobs/registration/class_names.h"

namespace tarvelin::automation {

using registration::ClassOfName;
using registration::LegacyName;
using registration::ProgId;

// A resolver that takes every creatable class as registered, for servers
// that need no object registry (the tests' own).
ClassResolver EveryClassRegistered();

}  // namespace tarvelin::automation
