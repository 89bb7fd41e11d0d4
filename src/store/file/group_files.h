// Where group names of alias lists are read: groups.dat and the member
// files it names, relative names below the configuration folder.
#pragma once

#include <string>

#include "foundation/list_match.h"
#include "platform/env.h"

namespace tarvelin {

// Reads through `env`, which outlives the reader.
GroupFileReader GroupFilesIn(Env& env, std::string config_path);

}  // namespace tarvelin
