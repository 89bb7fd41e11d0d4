// The message TvLastErrorText hands out: this thread's last failure of an
// entry point of the automation ABI.
#pragma once

#include <string>

namespace tarvelin::automation {

extern thread_local std::string last_error_text;

}  // namespace tarvelin::automation
