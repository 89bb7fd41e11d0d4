// Starts the lock_holder program (tests/support/lock_holder_main.cc) on one
// cross-process lock and waits until it holds it: a lock held by another
// process, to be killed when the test wants it gone.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarvelin::testing {

// The holder's process id; -1 when it could not be started or did not
// report the lock taken.
pid_t StartLockHolder(const std::string& lock_file, const std::string& name);

}  // namespace tarvelin::testing
