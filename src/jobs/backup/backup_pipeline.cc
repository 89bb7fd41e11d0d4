#include "jobs/backup/backup_pipeline.h"

#include <algorithm>

namespace tarvelin {

int PipelineThreads() {
  // Beyond a few workers the disk, not the CPU, sets the pace.
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

}  // namespace tarvelin
