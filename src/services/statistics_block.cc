#include "services/statistics_block.h"

#include "foundation/bytes.h"

namespace tarvelin {

namespace {

constexpr StatisticsCounter kCounters[] = {
    {0, 4, 25},   {16, 8, 1},   {24, 8, 2},   {32, 8, 3},   {40, 8, 4},   {48, 4, 5},
    {52, 4, 6},   {56, 4, 7},   {60, 4, 8},   {64, 4, 23},  {68, 4, 24},  {72, 4, 11},
    {76, 4, 12},  {80, 4, 13},  {84, 4, 14},  {88, 4, 15},  {92, 4, 16},  {96, 4, 17},
    {100, 4, 18}, {104, 4, 19}, {108, 4, 20}, {112, 4, 21}, {116, 4, 22},
};

}  // namespace

std::span<const StatisticsCounter> StatisticsCounters() { return kCounters; }

double StatisticsStartTime(const StatisticsBlock& block) {
  return GetDouble(block.data() + kStatisticsStartTimeOffset);
}

int64_t ReadStatisticsCounter(const StatisticsBlock& block, const StatisticsCounter& counter) {
  const uint8_t* p = block.data() + counter.offset;
  if (counter.width == 8) {
    const uint64_t value = GetLE(p, 4) | static_cast<uint64_t>(GetLE(p + 4, 4)) << 32;
    return static_cast<int64_t>(value);
  }
  return static_cast<int32_t>(GetLE(p, 4));
}

}  // namespace tarvelin
