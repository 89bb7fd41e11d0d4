#include "support/lock_holder.h"

#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace tarvelin::testing {

pid_t StartLockHolder(const std::string& lock_file, const std::string& name) {
  int out[2];
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const std::string program = TARVELIN_BINARY_DIR "/tests/lock_holder";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(lock_file.c_str()),
                  const_cast<char*>(name.c_str()), nullptr};
  pid_t child = 0;
  const bool started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char line[5] = {};
  const bool held = started && read(out[0], line, 4) == 4 && std::string(line) == "held";
  close(out[0]);
  return held ? child : -1;
}

}  // namespace tarvelin::testing
