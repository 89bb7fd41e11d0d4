// Where the challenge folders live and how a folder name given by a caller
// becomes a path. The challenge root is the antispam (spam) folder followed
// by "challenge/"; the folder F is the root, F cleaned, and "/".
//
// Cleaning keeps every name inside the root: the text ends at its first
// NUL (what a C caller would have passed), every "\" and "/" goes, then
// ".." becomes "." until none is left. A name may still clean to nothing
// ("" or "."): such a name means the root itself, which operations that
// remove or release a folder must never act on (NamesNoFolder).
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// `spam_directory` ends with a separator; the result ends with "/".
std::string ChallengeRoot(std::string_view spam_directory);

std::string CleanChallengeFolderName(std::string_view name);

// True when the cleaned name leaves no folder below the root.
bool NamesNoFolder(std::string_view cleaned);

// The root, the cleaned name and "/" (the root alone for an empty one).
std::string ChallengeFolderPath(std::string_view root, std::string_view name);

// Why the CLI refuses `name` as written (a separator, "..", a NUL, a name
// that cleans to nothing, one over 255 characters); empty when it is a
// plain folder name.
std::string HostileFolderNameReason(std::string_view name);

}  // namespace tarvelin
