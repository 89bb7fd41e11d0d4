// The challenge-response store's connection and tables. The connection is
// the antispam setting SpamChallengeConnection of spam.dat, as the Context
// holds it since the configuration load (or since CreateChallengeTables
// changed it).
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// The challenge connection name or text, cut to 255 characters.
std::string ChallengeConnection(const Context& context);

// Loads the database library, stores `connection` (cut to 255 characters)
// as SpamChallengeConnection in spam.dat, and creates the store's tables
// there. InvalidArgument, storing nothing, for a text with a line break.
Status CreateChallengeTables(Context& context, std::string_view connection);
// Loads the database library and drops the tables of the held connection.
Status DropChallengeTables(Context& context);

}  // namespace tarvelin
