#include "api/automation/classes.h"

#include "api/automation/api_object.h"
#include "api/automation/schedule_object.h"

namespace tarvelin::automation {

std::vector<const ClassInfo*> CreatableClasses() {
  return {&ApiObject::Info(), &ScheduleObject::Info()};
}

}  // namespace tarvelin::automation
