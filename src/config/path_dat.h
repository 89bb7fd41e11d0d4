// path.dat in the install directory: directory and address overrides, one
// entry per line, the meaning fixed by the line number (1-based).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace tarvelin {

struct PathDat {
  static constexpr int kLines = 11;
  // line(n) for n in 1..11; an empty text means "no override".
  const std::string& line(int n) const { return lines[static_cast<size_t>(n - 1)]; }
  std::string& line(int n) { return lines[static_cast<size_t>(n - 1)]; }

  std::array<std::string, kLines> lines;
};

inline constexpr int kPathDatConfigDirectory = 1;
inline constexpr int kPathDatFileNameTag = 4;
inline constexpr int kPathDatShares = 5;
inline constexpr int kPathDatSpamDirectory = 6;
inline constexpr int kPathDatCalendarDirectory = 7;
inline constexpr int kPathDatForwardDirectory = 8;
inline constexpr int kPathDatRetryDirectory = 9;
inline constexpr int kPathDatAddresses = 10;
inline constexpr int kPathDatHostName = 11;

// Reads install_path + "path.dat" (renaming a path.cfg there to path.dat
// first, unless path.dat exists) into `entries`: each non-empty cleaned
// line sets its entry; empty lines and a missing file set nothing.
// Directory lines (1, 2, 6 to 9) get a trailing separator; entries are cut
// to 255 characters.
void ReadPathDat(Env& env, std::string_view install_path, PathDat* entries);
// The non-empty entries of `found` replace those held in `held`: the held
// ones survive a reload whose path.dat leaves their line empty.
void MergePathDat(const PathDat& found, PathDat* held);

// Line 10 is "server addresses|outgoing bind address".
std::string PathDatServerAddresses(const PathDat& entries);
std::string PathDatOutgoingBind(const PathDat& entries);

}  // namespace tarvelin
