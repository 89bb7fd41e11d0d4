// The challenge-response store: one row per (sender, recipient) pair in the
// table "challenge_pairs", with the pair's state (one character: "2"
// pending, "1" accepted; the mail engine knows others) and the name of its
// challenge folder (empty when the pair has none).
//
// Addresses compare without case: they are kept trimmed and lower-cased,
// and the list gives them so. Every text is cut to 255 bytes. A text that
// would break the list's lines (";", CR, LF) is refused on the way in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backend/sql_connection.h"

namespace tarvelin::backend {

struct ChallengePair {
  std::string sender;
  std::string recipient;
  std::string state;
  std::string folder;
};

// Creates the table when it is missing.
Status CreateChallengeTables(SqlConnection& connection);
// Drops it with every pair (nothing when it is not there).
Status DropChallengeTables(SqlConnection& connection);

// The pair, or nullopt when it is not in the store.
Result<std::optional<ChallengePair>> FindChallenge(SqlConnection& connection,
                                                   std::string_view sender,
                                                   std::string_view recipient);
// Adds the pair; AlreadyExists when it is there (its state and folder stay),
// InvalidArgument for an empty address or a state that is not one
// character.
Status AddChallenge(SqlConnection& connection, const ChallengePair& pair);
// Sets the state of a pair that is there; NotFound when it is not.
Status SetChallengeState(SqlConnection& connection, std::string_view sender,
                         std::string_view recipient, std::string_view state);
// Removes the pair; NotFound when it was not there.
Status DeleteChallenge(SqlConnection& connection, std::string_view recipient,
                       std::string_view sender);

// The pairs of `recipient` (every pair when empty) whose state is one of
// the characters of `states` (any when empty), ordered by recipient and
// sender, one line each: "sender;recipient;state;folder" and CR LF.
Result<std::string> ChallengeList(SqlConnection& connection, std::string_view recipient,
                                  std::string_view states);

}  // namespace tarvelin::backend
