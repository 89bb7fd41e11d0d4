// The two names each automation class is created by: the ProgID
// "QuorantServer.X" and the older "OrvikCOM.X".
#pragma once

#include <string>
#include <string_view>

#include "jobs/registration/class_ids.h"

namespace tarvelin::registration {

std::string ProgId(const ClassIds& ids);
std::string LegacyName(const ClassIds& ids);

// The class either name form names, in any case; null for another name.
const ClassIds* ClassOfName(std::string_view class_name);

}  // namespace tarvelin::registration
