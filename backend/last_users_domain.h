// The domain of this thread's last DBGetUsers call, which DBDeleteUsers
// removes from (its caller names only a position).
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin::backend {

void RememberUsersDomain(std::string_view domain);
// NotFound when this thread has made no DBGetUsers call.
Result<std::string> LastUsersDomain();

}  // namespace tarvelin::backend
