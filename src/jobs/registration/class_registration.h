// Registering the automation classes in the object registry file and
// taking them out again: the steps the library's DllRegisterServer and
// DllUnregisterServer and `tarvelin-admin register|unregister` share.
//
// The file is $TARVELIN_REGISTRY, else /etc/tarvelin/registry.reg for the
// super-user, else $XDG_CONFIG_HOME/tarvelin/registry.reg (~/.config when
// unset). It is changed under a lock on "<file>.lock" and replaced whole
// by rename, so a reader sees the old file or the new one, and two
// registering programs never lose each other's keys. A damaged file is
// never overwritten: the change fails with Corruption naming the file and
// the line. A missing file is an empty registry.
#pragma once

#include <string>
#include <vector>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin::registration {

// The registry file this process uses; InvalidArgument when neither
// $XDG_CONFIG_HOME nor $HOME says where the user's is.
Result<std::string> RegistryFilePath(Env& env);

struct RegistrationDone {
  std::string file;
  std::vector<std::string> classes;  // the creatable classes, factory order
};

// `library_path`: the full path of the library the classes load from.
Result<RegistrationDone> RegisterClasses(Env& env, const std::string& registry_file,
                                         const std::string& library_path);
// A missing file is left missing; the keys gone already are no failure.
Result<RegistrationDone> UnregisterClasses(Env& env, const std::string& registry_file);

}  // namespace tarvelin::registration
