#include "api/automation/abi_last_error.h"

namespace tarvelin::automation {

thread_local std::string last_error_text;

}  // namespace tarvelin::automation
