// The member tables of the creatable classes, in factory order.
#pragma once

#include <vector>

#include "api/automation/dispatch.h"

namespace tarvelin::automation {

std::vector<const ClassInfo*> CreatableClasses();

}  // namespace tarvelin::automation
