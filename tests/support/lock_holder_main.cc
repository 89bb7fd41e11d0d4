// Holds one cross-process lock until it is killed, so that tests can see a
// lock held by another process and what is left when that process dies.
//
//   lock_holder LOCK_FILE NAME
//
// Prints "held" on a line of its own once the lock is taken.
#include <unistd.h>

#include <cstdio>

#include "platform/cross_process_locks.h"
#include "platform/posix_env.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lock_holder LOCK_FILE NAME\n");
    return 2;
  }
  tarvelin::PosixEnv env;
  tarvelin::CrossProcessLocks locks(env);
  tarvelin::Result<tarvelin::CrossProcessLocks::Held> held = locks.Acquire(argv[1], argv[2]);
  if (!held.ok()) {
    std::fprintf(stderr, "lock_holder: %s\n", held.status().ToString().c_str());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  for (;;) pause();
}
