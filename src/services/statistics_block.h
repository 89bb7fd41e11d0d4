// The 120-byte block of run-time counters a service answers to the
// statistics request. Which event a counter counts is the service's
// business; the library only moves and reads the block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvelin {

inline constexpr size_t kStatisticsBlockSize = 120;
using StatisticsBlock = std::array<uint8_t, kStatisticsBlockSize>;

// The start time of the service at offset 8: a local date-time double.
inline constexpr int kStatisticsStartTimeOffset = 8;

// One signed counter of the block and the property number that names it.
struct StatisticsCounter {
  int offset;
  int width;  // 4, or 8 for the byte counters
  int property;
};
// The counters in block order (offset 4 is not part of the block's
// meaning, offset 8 is the start time).
std::span<const StatisticsCounter> StatisticsCounters();

double StatisticsStartTime(const StatisticsBlock& block);
// The counter's signed value.
int64_t ReadStatisticsCounter(const StatisticsBlock& block, const StatisticsCounter& counter);

}  // namespace tarvelin
