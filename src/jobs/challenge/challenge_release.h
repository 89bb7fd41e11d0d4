// Releasing the messages held in a challenge folder. Delivery belongs to
// the mail engine, which runs in the SMTP service; this library hands each
// message over through the release queue, the folder "released/" beside
// "challenge/" in the antispam folder, which the service reads like its
// incoming queue: a message and its envelope (the three-line ".dat" file,
// byte for byte as it was held) under the base name "<folder>-<base>".
// The message is moved first and the envelope last, so an envelope in the
// queue always has its message beside it. Moves are renames: a crash
// leaves each file in one of the two folders, never lost or torn.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/env.h"

namespace tarvelin {

std::string ReleaseQueuePath(std::string_view spam_directory);

struct ReleaseCount {
  int messages = 0;
  int recipients = 0;
};

// Hands over every held message of `folder_path` (ends with "/") whose
// folder is named `folder_name`: each ".dat" envelope but challenge.dat.
// An envelope without its message has nothing to deliver and is removed.
// Stops at the first move that fails and returns why; what was moved
// stays moved, what was not stays in the folder.
Status ReleaseHeldMessages(Env& env, const std::string& folder_path,
                           std::string_view folder_name, const std::string& queue_path,
                           ReleaseCount* count);

}  // namespace tarvelin
