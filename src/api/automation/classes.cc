#include "api/automation/classes.h"

#include "api/automation/account_object.h"
#include "api/automation/domain_object.h"
#include "api/automation/schedule_object.h"

namespace tarvelin::automation {

std::vector<const ClassInfo*> CreatableClasses() {
  return {&DomainObject::Info(), &AccountObject::Info(), &ScheduleObject::Info()};
}

}  // namespace tarvelin::automation
