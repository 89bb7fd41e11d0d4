// The two names each class is created by: the ProgID "QuorantServer.X" and
// the older "OrvikCOM.X".
#pragma once

#include <string>
#include <string_view>

#include "api/automation/class_ids.h"
#include "api/automation/automation_server.h"

namespace tarvelin::automation {

std::string ProgId(const ClassIds& ids);
std::string LegacyName(const ClassIds& ids);

// The class either name form names, in any case; null for another name.
const ClassIds* ClassOfName(std::string_view class_name);

// A resolver that takes every creatable class as registered.
ClassResolver EveryClassRegistered();

}  // namespace tarvelin::automation
