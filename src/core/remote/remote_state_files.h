// The collection state of a remote account: the file its record names
// (field 244) and the same name with ".hdr", ".dom" and ".rt" appended.
// They go with the account.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

// The path of the state file named `stored_name`: an absolute name as
// given, a relative one below `config_folder` (ending with a separator).
// nullopt for an empty name and for a relative name whose ".." parts climb
// out of the configuration folder.
std::optional<std::string> ResolveStateFile(std::string_view config_folder,
                                            std::string_view stored_name);

// Removes the state file and its companions where they exist; nothing for
// a name ResolveStateFile refuses.
void RemoveStateFiles(Env& env, std::string_view config_folder, std::string_view stored_name);

}  // namespace tarvelin
