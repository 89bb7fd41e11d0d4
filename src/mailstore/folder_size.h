// The size of a mailbox tree: the bytes and the number of its message
// files (names ending in ".imap" or ".tmp", case-sensitive), counted in the
// folder and every subfolder. With the size cache on, each measured folder
// keeps its totals in "size.dat" (two lines: bytes, then files, decimal),
// which later measurements take instead of scanning while it is younger
// than the cache lifetime. The size.dat files are read and written under
// lock 3.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/env.h"
#include "platform/lock_table.h"

namespace tarvelin {

class ServerConfig;

struct FolderTotals {
  int64_t bytes = 0;
  int64_t files = 0;
  bool operator==(const FolderTotals&) const = default;
};

struct FolderSizeCache {
  bool on = false;
  int64_t lifetime_seconds = 1800;
  int64_t now = 0;  // wall-clock seconds since 1970, compared with size.dat's time
  LockTable* locks = nullptr;  // lock 3 of the installation; none when null
};

// Setting 440 switches the cache on; setting 439 is its lifetime in
// seconds (1800 when 0); the time is the current one of `env`.
FolderSizeCache FolderSizeCacheOf(Env& env, const ServerConfig& record, LockTable& locks);

// Totals of `folder` (ending with a separator or not). A folder that cannot
// be read counts as empty; a subfolder reached again through a link inside
// itself is not counted twice. A size.dat that is not two decimal numbers
// is measured afresh. Every call goes through `env`.
FolderTotals MeasureFolder(Env& env, std::string_view folder, const FolderSizeCache& cache);

}  // namespace tarvelin
