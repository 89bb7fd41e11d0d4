// Progress of a backup or a restore, for callers that show it.
#pragma once

#include <cstdint>
#include <functional>

namespace tarvelin {

struct ArchiveProgress {
  int64_t files_done = 0;
  int64_t bytes_done = 0;   // backup: file bytes packed; restore: archive bytes read
  int64_t files_total = 0;  // 0 when not known beforehand
  int64_t bytes_total = 0;  // 0 when not known beforehand
};

// Called from the calling thread after each file.
using ArchiveProgressFn = std::function<void(const ArchiveProgress&)>;

}  // namespace tarvelin
