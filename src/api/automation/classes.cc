#include "api/automation/classes.h"

#include "api/automation/account_object.h"
#include "api/automation/api_object.h"
#include "api/automation/domain_object.h"
#include "api/automation/remote_account_object.h"
#include "api/automation/schedule_object.h"
#include "api/automation/statistics_object.h"

namespace tarvelin::automation {

std::vector<const ClassInfo*> CreatableClasses() {
  return {
      &ApiObject::Info(),
      &DomainObject::Info(),
      &AccountObject::Info(),
      &RemoteAccountObject::Info(),
      &ScheduleObject::Info(),
      &StatisticsObject::Info(),
  };
}

}  // namespace tarvelin::automation
