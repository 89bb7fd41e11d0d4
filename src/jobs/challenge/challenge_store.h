// The challenge-response store as the management programs reach it: the
// (sender, recipient) pairs in the database of db.so, named by the
// challenge connection (a connection text, or a name for db.so's current
// connection; an SQLite path relative to the configuration folder is made
// whole), and the challenge folders below the antispam folder.
//
// Every database call goes through the Context's backend, under its lock.
// The operations that need the database answer Unavailable when db.so is
// not loaded; they never load it themselves.
//
// A folder name that cleans to nothing (challenge_folder.h) names the root
// of every pending challenge: Delete then removes only the pair, and
// Authorize refuses before touching anything.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// The connection as db.so takes it: a text with "=" has its SQLite path
// made whole; a plain name stays (db.so's current connection).
std::string ChallengeBackendConnection(const Context& context, std::string_view connection);

// The pairs as db.so lists them (db_backend.h: one line per pair).
Result<std::string> ListChallenges(Context& context, std::string_view connection,
                                   std::string_view recipient, std::string_view flags);

// Adds the pair with `state` and no folder; no file is touched.
Status AddChallenge(Context& context, std::string_view connection, std::string_view recipient,
                    std::string_view sender, std::string_view state);

// Removes the pair; when that worked and `folder` names a challenge folder,
// removes the folder with its held messages too (a folder that will not go
// is no failure).
Status DeleteChallenge(Context& context, std::string_view connection,
                       std::string_view recipient, std::string_view sender,
                       std::string_view folder);

struct ChallengeAuthorization {
  // Why the database did not take the pair's new state "1"; ok when it did.
  Status database;
  bool accepted() const { return database.ok(); }
  // Held messages handed to the release queue, and their recipients.
  int released = 0;
  int recipients = 0;
  // Why a message could not be released: the folder is then kept with
  // what is left in it, so nothing is lost.
  Status release;
};

// Sets the pair of the folder's challenge.dat to "1" and, when the
// database took it, releases the held messages (challenge_release.h) and
// removes the folder. The authorization is logged to the antispam log when
// bit 0 of variable 351 is set, whatever the database answered.
// NotFound without challenge.dat, InvalidArgument for a name that cleans
// to nothing: nothing is done then.
Result<ChallengeAuthorization> AuthorizeChallenge(Context& context, std::string_view connection,
                                                  std::string_view folder);

// The folder's path: "/" separators, ending with "/". Needs no database.
std::string ChallengeResponsePath(const Context& context, std::string_view folder);

}  // namespace tarvelin
